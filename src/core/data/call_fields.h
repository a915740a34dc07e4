#pragma once
// What a charge record and a call record both hold: who, when, which number.
#include <array>
#include <cstddef>
#include <cstdint>

namespace kalmo::data {

constexpr std::size_t kNumberFieldSize = 12;
constexpr std::uint8_t kEmptySubscriber = 0xFF;

using NumberField = std::array<std::uint8_t, kNumberFieldSize>;

// Orders records within one year; the year is not part of it.
constexpr std::uint32_t time_key(std::uint8_t month, std::uint8_t day, std::uint8_t hour,
                                 std::uint8_t minute) {
    return month * 2592000u + day * 86400u + hour * 3600u + minute * 60u;
}

// In the bytes of both records these stand in this order from the subscriber on.
struct CallFields {
    std::uint8_t subscriber = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    NumberField number{};

    std::uint32_t key() const { return time_key(month, day, hour, minute); }
    bool empty() const { return subscriber == kEmptySubscriber; }
    bool operator==(const CallFields&) const = default;
};

} // namespace kalmo::data
