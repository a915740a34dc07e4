#pragma once
// The phonebook: up to 1,000 entries in fixed storage slots, the entry list that orders them,
// the ten project names, and the number lookup the lists use.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/phonebook/lookup.h"

namespace kalmo::phonebook {

constexpr std::size_t kCapacity = 1000;
constexpr std::size_t kProjectCount = 10;
// Storage widths less the terminator: what a field can hold.
constexpr std::size_t kNameMax = 24;
constexpr std::size_t kCountryCodeMax = 5;
constexpr std::size_t kAreaCodeMax = 7;
constexpr std::size_t kNumberMax = 11;
constexpr std::size_t kProjectNameMax = 13;
// The project value that marks a storage slot as free.
constexpr std::int8_t kFreeSlot = 127;

enum SortKey : std::uint16_t {
    kSortByName = 0,
    kSortByCountryCode = 1,
    kSortByAreaCode = 2,
    kSortByNumber = 3,
    kSortByProject = 4,
};

struct Entry {
    std::string name;
    std::string country_code; // as dialled, with the international prefix ("0049")
    std::string area_code;    // as dialled, with the trunk prefix ("089")
    std::string number;       // digits, possibly followed by '*'
    std::int8_t project = 0;  // 0 none, 1..10

    bool operator==(const Entry&) const = default;
};

// The code without its prefix digit; empty for codes shorter than two characters.
std::string_view code_tail(std::string_view code);
// Length of the number's part from its first '*' on.
std::size_t wildcard_length(std::string_view number);
// A text from a file or dialog field as it is stored: trimmed, cut to `max` bytes, and trimmed
// again so that a cut never leaves a blank at the end that a later reading would drop.
std::string stored_text(std::string_view text, std::size_t max);
// Cuts every text of `entry` to what its storage holds.
void fit_to_storage(Entry& entry);

class Phonebook : public NumberLookup {
public:
    Phonebook();

    // Empties the entry list, frees every slot and forgets the project names.
    void clear();
    // Stable sort of the entry list by `key`; a key above 4 is only recorded.
    void sort(std::uint16_t key);
    std::uint16_t sort_key() const { return sort_key_; }
    void set_sort_key(std::uint16_t key) { sort_key_ = key; }

    // The entry list.
    std::size_t count() const { return list_.size(); }
    const Entry& at(std::size_t position) const { return slots_[list_[position]]; }
    std::uint16_t slot_of(std::size_t position) const { return list_[position]; }
    // Overwrites the entry at `position` (texts cut to their storage).
    void replace(std::size_t position, Entry entry);
    // Puts `entry` into the free slot with the lowest number and appends it to the entry list.
    // Returns the slot, or nothing when all slots are used.
    std::optional<std::uint16_t> add(Entry entry);
    // Frees the entry's slot; the later entries move up one place.
    void remove(std::size_t position);

    // Storage slots, for the checks that must see the table as it is.
    bool slot_free(std::size_t slot) const { return slots_[slot].project == kFreeSlot; }

    // Projects 1..10; any other number has no name.
    const std::string& project_name(unsigned project) const;
    void set_project_name(unsigned project, std::string_view name);

    std::uint8_t lookup(std::string& text) const override;

    // Set by every change the editors make; the save question reads it.
    bool changed = false;
    // Path of the current phonebook file; empty when none is open.
    std::string file_name;

private:
    // What the lookup needs to pass over an entry without touching it: the first character of
    // each of its three forms and the length of its wildcard tail. Kept per slot, updated
    // whenever a slot is written.
    struct Glance {
        char national = 0;
        char international = 0;
        char local = 0;
        std::uint8_t wildcard = 0;
    };
    void store(std::size_t slot, Entry entry);

    std::vector<Entry> slots_;
    std::vector<Glance> glances_;
    std::vector<std::uint16_t> list_;
    std::array<std::string, kProjectCount> project_names_;
    std::uint16_t sort_key_ = kSortByName;
};

} // namespace kalmo::phonebook
