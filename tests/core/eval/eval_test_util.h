#pragma once
// Records and a phonebook stand-in for the evaluation tests.
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/phonebook/lookup.h"

namespace kalmo::test {

// Digits as the exchange packs them; "#" for 0xA, the rest of the field ends the number.
inline data::NumberField packed(const std::string& digits) {
    data::NumberField f;
    f.fill(0xFF);
    for (std::size_t i = 0; i < digits.size() && i < 24; ++i) {
        const std::uint8_t nibble =
            digits[i] == '#' ? 0xA : static_cast<std::uint8_t>(digits[i] - '0');
        std::uint8_t& b = f[i / 2];
        b = i % 2 == 0 ? static_cast<std::uint8_t>((nibble << 4) | 0x0F)
                       : static_cast<std::uint8_t>((b & 0xF0) | nibble);
    }
    return f;
}

inline data::ChargeRecord charge(std::uint8_t subscriber, std::uint8_t month, std::uint8_t day,
                                 std::uint32_t amount = 100, const std::string& number = "0123",
                                 std::uint8_t hour = 10, std::uint8_t minute = 0,
                                 std::uint16_t duration = 60) {
    data::ChargeRecord r;
    r.amount = amount;
    r.duration = duration;
    r.subscriber = subscriber;
    r.month = month;
    r.day = day;
    r.hour = hour;
    r.minute = minute;
    r.number = packed(number);
    return r;
}

inline data::CallRecord call(std::uint8_t subscriber, std::uint8_t month, std::uint8_t day,
                             const std::string& number, std::uint8_t hour = 10,
                             std::uint8_t minute = 0) {
    data::CallRecord r;
    r.subscriber = subscriber;
    r.month = month;
    r.day = day;
    r.hour = hour;
    r.minute = minute;
    r.number = packed(number);
    return r;
}

inline void fill_store(data::ChargeStore& store,
                       std::initializer_list<data::ChargeRecord> records) {
    std::size_t i = 0;
    for (const auto& r : records)
        store.set_record(i++, r);
    store.set_count(static_cast<std::uint16_t>(i));
    store.set_filter_range_from_records();
}

inline void fill_calls(data::CallStore& calls, std::initializer_list<data::CallRecord> records) {
    std::size_t i = 0;
    for (const auto& r : records)
        calls.set_record(i++, r);
    calls.set_count(static_cast<std::uint16_t>(i));
}

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
