#pragma once
// Records, stores and wire bytes as the tests build them: one place for the core, console and
// simulator tests.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "core/data/calls.h"
#include "core/data/charge.h"

namespace kalmo::test {

using Bytes = std::vector<std::uint8_t>;

inline data::ChargeRecord charge(std::uint8_t subscriber, std::uint8_t month, std::uint8_t day,
                                 std::uint32_t amount = 100, const std::string& number = "0123",
                                 std::uint8_t hour = 10, std::uint8_t minute = 0,
                                 std::uint16_t duration = 60) {
    data::ChargeRecord r;
    static_cast<data::CallFields&>(r) = {subscriber, month,  day,
                                         hour,       minute, data::pack_number(number)};
    r.amount = amount;
    r.duration = duration;
    return r;
}

inline data::CallRecord call(std::uint8_t subscriber, std::uint8_t month, std::uint8_t day,
                             const std::string& number, std::uint8_t hour = 10,
                             std::uint8_t minute = 0) {
    data::CallRecord r;
    static_cast<data::CallFields&>(r) = {subscriber, month,  day,
                                         hour,       minute, data::pack_number(number)};
    return r;
}

// Records back to back, as a block payload or a file's record part carries them.
template <typename Record> Bytes bytes_of(const std::vector<Record>& records) {
    Bytes out(records.size() * Record::kSize);
    for (std::size_t i = 0; i < records.size(); ++i)
        records[i].to_bytes(&out[i * Record::kSize]);
    return out;
}
inline Bytes bytes_of(std::initializer_list<data::ChargeRecord> records) {
    return bytes_of(std::vector<data::ChargeRecord>(records));
}
inline Bytes bytes_of(std::initializer_list<data::CallRecord> records) {
    return bytes_of(std::vector<data::CallRecord>(records));
}

// A charge data file: header text, record count (`claimed`, else the records'), records.
inline Bytes charge_file(const std::vector<data::ChargeRecord>& records,
                         std::optional<std::uint16_t> claimed = std::nullopt) {
    Bytes b(data::kChargeMagic, data::kChargeMagic + data::kChargeHeaderSize);
    const std::uint16_t n = claimed.value_or(static_cast<std::uint16_t>(records.size()));
    b.push_back(static_cast<std::uint8_t>(n));
    b.push_back(static_cast<std::uint8_t>(n >> 8));
    const Bytes r = bytes_of(records);
    b.insert(b.end(), r.begin(), r.end());
    return b;
}

inline std::string text_of(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
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

inline Bytes fill(std::size_t n) {
    return Bytes(n, 0x00);
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A block request as it stands on the wire: no checksum, the index low byte first.
inline Bytes block_request(std::uint8_t code, std::uint16_t index) {
    return {0x06,
            code,
            0x00,
            0x00,
            static_cast<std::uint8_t>(index),
            static_cast<std::uint8_t>(index >> 8)};
}

} // namespace kalmo::test
