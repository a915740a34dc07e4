#pragma once
// A phonebook stand-in for the evaluation tests, and the shared record builders.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "core/app/ui.h"
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

// The stores (on the heap: the charge store is large), a phonebook stand-in and the day the
// evaluation runs on, for the evaluation fixtures.
struct EvalTest : ::testing::Test {
    std::unique_ptr<data::ChargeStore> store = std::make_unique<data::ChargeStore>();
    std::unique_ptr<data::CallStore> calls = std::make_unique<data::CallStore>();
    MapLookup lookup;
    app::LocalTime now{2026, 3, 20, 12, 0, 0};
};

} // namespace kalmo::test
