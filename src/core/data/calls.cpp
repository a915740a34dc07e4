#include "core/data/calls.h"

#include <algorithm>
#include <cstring>

namespace kalmo::data {

CallRecord CallRecord::from_bytes(const std::uint8_t* b) {
    CallRecord r;
    r.subscriber = b[0];
    r.month = b[1];
    r.day = b[2];
    r.hour = b[3];
    r.minute = b[4];
    std::memcpy(r.number.data(), b + 5, kNumberFieldSize);
    return r;
}

void CallRecord::to_bytes(std::uint8_t* b) const {
    b[0] = subscriber;
    b[1] = month;
    b[2] = day;
    b[3] = hour;
    b[4] = minute;
    std::memcpy(b + 5, number.data(), kNumberFieldSize);
}

std::size_t CallStore::append_received_block(std::span<const std::uint8_t> payload) {
    const std::size_t at = count_ * kCallRecordSize;
    const std::size_t copied = std::min(slots_.size() - at, payload.size());
    std::memcpy(slots_.data() + at, payload.data(), copied);
    const std::size_t whole = payload.size() / kCallRecordSize;
    const std::size_t kept = std::min(whole, kCallCapacity - count_);
    count_ = static_cast<std::uint16_t>(count_ + kept);
    return whole - kept;
}

void CallStore::sort() {
    auto key_at = [this](std::size_t i) {
        const std::uint8_t* r = record_bytes(i);
        return time_key(r[1], r[2], r[3], r[4]);
    };
    for (std::size_t i = 0; i < count_; ++i) {
        std::uint32_t k = key_at(i);
        for (std::size_t j = i + 1; j < count_; ++j) {
            const std::uint32_t kj = key_at(j);
            if (kj < k) {
                std::uint8_t* base = slots_.data();
                std::swap_ranges(base + i * kCallRecordSize, base + (i + 1) * kCallRecordSize,
                                 base + j * kCallRecordSize);
                k = kj;
            }
        }
    }
}

} // namespace kalmo::data
