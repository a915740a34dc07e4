#include "core/data/charge.h"

#include <algorithm>
#include <cstring>

namespace kalmo::data {

std::string number_text(const std::uint8_t* field) {
    if (field[0] == kPrivateCallMark) return "Privatgespräch";
    std::string text;
    for (std::size_t i = 0; i < kNumberFieldSize; ++i) {
        for (int shift : {4, 0}) {
            const unsigned nibble = (field[i] >> shift) & 0x0F;
            if (nibble <= 9)
                text += static_cast<char>('0' + nibble);
            else if (nibble == 0xA)
                text += '#';
            else
                return text;
        }
    }
    return text;
}

bool is_dial_string(std::string_view text) {
    return !text.empty() && text.size() <= 2 * kNumberFieldSize &&
           text.find_first_not_of("0123456789#") == std::string_view::npos;
}

ChargeRecord ChargeRecord::from_bytes(const std::uint8_t* b) {
    ChargeRecord r;
    r.amount = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    r.duration = static_cast<std::uint16_t>(b[4] | b[5] << 8);
    r.subscriber = b[6];
    r.month = b[7];
    r.day = b[8];
    r.hour = b[9];
    r.minute = b[10];
    std::memcpy(r.number.data(), b + 11, kNumberFieldSize);
    return r;
}

void ChargeRecord::to_bytes(std::uint8_t* b) const {
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<std::uint8_t>(amount >> (8 * i));
    b[4] = static_cast<std::uint8_t>(duration);
    b[5] = static_cast<std::uint8_t>(duration >> 8);
    b[6] = subscriber;
    b[7] = month;
    b[8] = day;
    b[9] = hour;
    b[10] = minute;
    std::memcpy(b + 11, number.data(), kNumberFieldSize);
}

std::size_t ChargeStore::append_received_block(std::span<const std::uint8_t> payload) {
    const std::size_t at = kChargeImageHead + count() * kChargeRecordSize;
    const std::size_t room = image_.size() - at;
    const std::size_t copied = std::min(room, payload.size());
    std::memcpy(image_.data() + at, payload.data(), copied);
    const std::size_t whole = payload.size() / kChargeRecordSize;
    const std::size_t kept = std::min(whole, kChargeCapacity - count());
    set_count(static_cast<std::uint16_t>(count() + kept));
    return whole - kept;
}

namespace {
std::uint32_t key_at(const std::uint8_t* r) {
    return time_key(r[7], r[8], r[9], r[10]);
}
} // namespace

void ChargeStore::sort() {
    const std::size_t n = count();
    std::uint8_t* base = image_.data() + kChargeImageHead;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t k = key_at(base + i * kChargeRecordSize);
        for (std::size_t j = i + 1; j < n; ++j) {
            const std::uint32_t kj = key_at(base + j * kChargeRecordSize);
            if (kj < k) {
                std::swap_ranges(base + i * kChargeRecordSize, base + (i + 1) * kChargeRecordSize,
                                 base + j * kChargeRecordSize);
                k = kj;
            }
        }
    }
    set_filter_range_from_records();
}

void ChargeStore::set_filter_range_from_records() {
    const std::size_t n = count();
    if (n == 0) return;
    const std::uint8_t* first = record_bytes(0);
    const std::uint8_t* last = record_bytes(n - 1);
    filter.from_month = first[7];
    filter.from_day = first[8];
    filter.to_month = last[7];
    filter.to_day = last[8];
}

void ChargeStore::load_image(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), image_.size());
    std::memcpy(image_.data(), bytes.data(), n);
    if (n < kChargeImageHead) {
        // Not even a record count: the header text lies, nothing beyond it is a record.
        std::memset(image_.data() + n, 0, kChargeImageHead - n);
        set_count(0);
        return;
    }
    const std::size_t held = (n - kChargeImageHead) / kChargeRecordSize;
    set_count(static_cast<std::uint16_t>(std::min<std::size_t>(count(), held)));
}

std::span<const std::uint8_t> ChargeStore::save_image() {
    std::memcpy(image_.data(), kChargeMagic, kChargeHeaderSize);
    return {image_.data(), kChargeImageHead + count() * kChargeRecordSize};
}

std::string ChargeStore::header_text() const {
    const auto* begin = reinterpret_cast<const char*>(image_.data());
    return std::string(begin, strnlen(begin, kChargeHeaderSize));
}

} // namespace kalmo::data
