#pragma once
// A phonebook stand-in for the evaluation tests, and the shared record builders.
#include <map>
#include <string>
#include <utility>

#include "core/phonebook/lookup.h"
#include "support/builders.h"

namespace kalmo::test {

// Exact numbers only; counts its calls so tests see which numbers were looked up.
class MapLookup : public phonebook::NumberLookup {
public:
    std::uint8_t lookup(std::string& text) const override {
        ++calls;
        seen += text + ";";
        const auto it = entries.find(text);
        if (it == entries.end()) return 0;
        text = it->second.first;
        return it->second.second;
    }
    std::map<std::string, std::pair<std::string, std::uint8_t>> entries;
    mutable int calls = 0;
    mutable std::string seen;
};

} // namespace kalmo::test
