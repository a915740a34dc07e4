#pragma once
// What the charge store and the call store do alike to their slots of raw records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/data/call_fields.h"

namespace kalmo::data::slots {

struct Layout {
    std::size_t size;          // bytes per record
    std::size_t capacity;      // records
    std::size_t subscriber_at; // where the call fields begin
};

inline void read_call_fields(CallFields& f, const std::uint8_t* b) {
    f.subscriber = b[0];
    f.month = b[1];
    f.day = b[2];
    f.hour = b[3];
    f.minute = b[4];
    std::memcpy(f.number.data(), b + 5, kNumberFieldSize);
}

inline void write_call_fields(const CallFields& f, std::uint8_t* b) {
    b[0] = f.subscriber;
    b[1] = f.month;
    b[2] = f.day;
    b[3] = f.hour;
    b[4] = f.minute;
    std::memcpy(b + 5, f.number.data(), kNumberFieldSize);
}

template <Layout L> std::uint32_t key_at(const std::uint8_t* record) {
    const std::uint8_t* t = record + L.subscriber_at + 1;
    return time_key(t[0], t[1], t[2], t[3]);
}

// Copies a received payload verbatim into `slots` (all of them) from slot `count` on; the count
// grows by the whole records in it. Returns how many records found no slot.
template <Layout L>
std::size_t append(std::span<std::uint8_t> slots, std::uint16_t& count,
                   std::span<const std::uint8_t> payload) {
    const std::size_t at = count * L.size;
    const std::size_t copied = std::min(slots.size() - at, payload.size());
    std::memcpy(slots.data() + at, payload.data(), copied);
    const std::size_t whole = payload.size() / L.size;
    const std::size_t kept = std::min(whole, L.capacity - count);
    count = static_cast<std::uint16_t>(count + kept);
    return whole - kept;
}

// The exchange's own sort by time key: each slot in turn is swapped with every later one whose
// key is smaller than the one it holds then. The order of equal keys follows from these steps,
// and lists and files depend on it.
template <Layout L> void sort(std::uint8_t* slots, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t k = key_at<L>(slots + i * L.size);
        for (std::size_t j = i + 1; j < count; ++j) {
            const std::uint32_t kj = key_at<L>(slots + j * L.size);
            if (kj < k) {
                std::swap_ranges(slots + i * L.size, slots + (i + 1) * L.size, slots + j * L.size);
                k = kj;
            }
        }
    }
}

} // namespace kalmo::data::slots
