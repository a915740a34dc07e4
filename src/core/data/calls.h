#pragma once
// Call records of the exchange's call list, and the call store that holds them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/data/charge.h"

namespace kalmo::data {

constexpr std::size_t kCallRecordSize = 17;
constexpr std::size_t kCallCapacity = 150;
constexpr std::uint8_t kAvaSubscriber = 0xAA;

// A call record is a charge record from its subscriber byte on.
namespace call_at {
enum : std::size_t { Subscriber = 0, Number = 5 };
} // namespace call_at
static_assert(call_at::Number + kNumberFieldSize == kCallRecordSize);

struct CallRecord : CallFields {
    static constexpr std::size_t kSize = kCallRecordSize;
    static CallRecord from_bytes(const std::uint8_t* bytes);
    void to_bytes(std::uint8_t* bytes) const;
    bool operator==(const CallRecord&) const = default;
};

class CallStore {
public:
    std::uint16_t count() const { return count_; }
    CallRecord record(std::size_t i) const { return CallRecord::from_bytes(record_bytes(i)); }
    const std::uint8_t* record_bytes(std::size_t i) const {
        return slots_.data() + i * kCallRecordSize;
    }
    void set_record(std::size_t i, const CallRecord& r) {
        r.to_bytes(slots_.data() + i * kCallRecordSize);
    }
    void set_count(std::uint16_t n) { count_ = n; }

    void clear() { count_ = 0; }

    // As the charge store's: verbatim, whole records counted, anything beyond the capacity
    // dropped; returns the number of records dropped.
    std::size_t append_received_block(std::span<const std::uint8_t> payload);

    // The exchange sort of the charge store, on 17-byte records.
    void sort();

    // How many calls of the list came from the same number (the call list computes them).
    std::array<std::uint8_t, kCallCapacity> repeat{};

private:
    std::uint16_t count_ = 0;
    std::array<std::uint8_t, kCallCapacity * kCallRecordSize> slots_{};
};

// Every call record of one read, however many the exchange holds: the unattended pull keeps
// them in a file, where the call list's fixed capacity has no reason to leave any behind. Its
// own limit is what a bank's 16-bit block index can reach in both banks.
class CallArchive {
public:
    static constexpr std::size_t kCapacity = 2 * 65535;
    std::size_t count() const { return bytes_.size() / kCallRecordSize; }
    const std::uint8_t* record_bytes(std::size_t i) const {
        return bytes_.data() + i * kCallRecordSize;
    }
    CallRecord record(std::size_t i) const { return CallRecord::from_bytes(record_bytes(i)); }
    void clear() { bytes_.clear(); }
    // As the call store's, with the larger capacity.
    std::size_t append_received_block(std::span<const std::uint8_t> payload);
    // The same order the call store gives them.
    void sort();

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace kalmo::data
