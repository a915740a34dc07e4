#pragma once
// Charge records as the exchange delivers them, and the charge store that holds them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/data/call_fields.h"

namespace kalmo::data {

constexpr std::size_t kChargeRecordSize = 23;
constexpr std::size_t kChargeCapacity = 2000;
constexpr std::size_t kChargeHeaderSize = 32;             // magic text and its zero byte
constexpr std::size_t kChargeCountAt = kChargeHeaderSize; // record count, low byte first
constexpr std::size_t kChargeImageHead = 34;              // header and record count
constexpr std::size_t kChargeImageSize = kChargeImageHead + kChargeCapacity * kChargeRecordSize;
constexpr char kChargeMagic[] = "Gebuehrendaten QUELTAR 240 V1.0";
static_assert(sizeof(kChargeMagic) == kChargeHeaderSize);

constexpr std::uint8_t kPrivateCallMark = 0xBB;

// The number field of a private call as the exchange sends it.
constexpr NumberField kPrivateNumber{
    kPrivateCallMark, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Byte offsets within a charge record: amount (4 bytes, low byte first), duration (2), then
// one byte each for subscriber and time, then the number field.
namespace charge_at {
enum : std::size_t { Amount = 0, Duration = 4, Subscriber = 6, Month = 7, Day = 8, Number = 11 };
} // namespace charge_at
static_assert(charge_at::Number + kNumberFieldSize == kChargeRecordSize);

// The record count of a charge data image (at least kChargeImageHead bytes).
inline std::uint16_t stored_count(const std::uint8_t* image) {
    return static_cast<std::uint16_t>(image[kChargeCountAt] | image[kChargeCountAt + 1] << 8);
}
// Whether the bytes begin with a charge data file's header text and record count.
bool is_charge_image(std::span<const std::uint8_t> bytes);
// The records a charge data image both claims and holds in whole (needs its header and count).
std::size_t held_records(std::span<const std::uint8_t> image);

// Printable form of a packed-BCD number field: digits and "#", "Privatgespräch" for a private
// call, empty when the first nibble ends the number. At most 24 bytes.
std::string number_text(const std::uint8_t* field);
// 1 to 24 characters, each a digit or "#": what a number text holds when it is a number at all.
bool is_dial_string(std::string_view text);
inline std::string number_text(const NumberField& field) {
    return number_text(field.data());
}
// The number field whose number_text is `text`: a dial string (the first 24 characters, digits
// and "#"; the field ends at the first other character), an empty text, or "Privatgespräch".
// Unused nibbles are 0xF.
NumberField pack_number(std::string_view text);

struct ChargeRecord : CallFields {
    std::uint32_t amount = 0;   // Pfennig
    std::uint16_t duration = 0; // seconds

    static constexpr std::size_t kSize = kChargeRecordSize;
    static ChargeRecord from_bytes(const std::uint8_t* bytes);
    void to_bytes(std::uint8_t* bytes) const;
    bool operator==(const ChargeRecord&) const = default;
};

// The evaluation filter lives with the data it applies to.
struct EvaluationFilter {
    std::uint8_t from_year = 0; // years since 1900; kYearUnset until the list fills
    std::uint8_t from_month = 0;
    std::uint8_t from_day = 0;
    std::uint8_t to_year = 0;
    std::uint8_t to_month = 0;
    std::uint8_t to_day = 0;
    std::uint32_t minimum_amount = 0; // Pfennig

    static constexpr std::uint8_t kYearUnset = 0xFF;
    bool operator==(const EvaluationFilter&) const = default;
};

// The byte image of the charge data file is the start of this store: header text, record
// count, records. Slots beyond the count are undefined.
class ChargeStore {
public:
    std::uint16_t count() const { return stored_count(image_.data()); }
    ChargeRecord record(std::size_t i) const {
        return ChargeRecord::from_bytes(image_.data() + kChargeImageHead + i * kChargeRecordSize);
    }
    const std::uint8_t* record_bytes(std::size_t i) const {
        return image_.data() + kChargeImageHead + i * kChargeRecordSize;
    }
    void set_record(std::size_t i, const ChargeRecord& r) {
        r.to_bytes(image_.data() + kChargeImageHead + i * kChargeRecordSize);
    }

    void clear() { set_count(0); }

    // Appends a received payload verbatim from slot `count` on; the count grows by the whole
    // records in it. Records beyond the capacity are dropped; returns how many were dropped.
    std::size_t append_received_block(std::span<const std::uint8_t> payload);

    // Exchange sort by time key (the order of equal keys follows from its steps), then
    // set_filter_range_from_records().
    void sort();

    // from-month/day := record 0, to-month/day := last record. Does nothing on an empty store.
    void set_filter_range_from_records();

    // Replaces header, count and records by a charge data file's bytes. The count is clamped to
    // the records the bytes hold and to the capacity, so a damaged file never reaches beyond
    // the slots.
    void load_image(std::span<const std::uint8_t> bytes);
    // Writes the magic into the header text and hands out the first 34 + 23 × count bytes.
    std::span<const std::uint8_t> save_image();
    std::span<const std::uint8_t> image() const { return {image_.data(), image_.size()}; }

    // Header text up to its zero byte (valid after a load).
    std::string header_text() const;

    EvaluationFilter filter;

    void set_count(std::uint16_t n) {
        image_[kChargeCountAt] = static_cast<std::uint8_t>(n);
        image_[kChargeCountAt + 1] = static_cast<std::uint8_t>(n >> 8);
    }

private:
    std::array<std::uint8_t, kChargeImageSize> image_{};
};

} // namespace kalmo::data
