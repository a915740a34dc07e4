#pragma once
// What the lists need of the phonebook: a dialled number's name and project.
#include <cstdint>
#include <string>

namespace kalmo::phonebook {

class NumberLookup {
public:
    virtual ~NumberLookup() = default;
    // Replaces `text` (a number text) by the name of the matching phonebook entry, formed as
    // the lists show it, and returns that entry's project number (1 to 10, 0 for none). When
    // no entry matches, `text` stays as it is and the result is 0.
    virtual std::uint8_t lookup(std::string& text) const = 0;
};

// No phonebook loaded: every number stays a number.
class NoPhonebook : public NumberLookup {
public:
    std::uint8_t lookup(std::string&) const override { return 0; }
};

} // namespace kalmo::phonebook
