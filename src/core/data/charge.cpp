#include "core/data/charge.h"

#include "core/data/record_slots.h"

#include <algorithm>
#include <cstring>

namespace kalmo::data {

namespace {
constexpr char kPrivateCallText[] = "Privatgespräch";
constexpr slots::Layout kChargeSlots{kChargeRecordSize, kChargeCapacity, charge_at::Subscriber};
} // namespace

std::string number_text(const std::uint8_t* field) {
    if (field[0] == kPrivateCallMark) return kPrivateCallText;
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

NumberField pack_number(std::string_view text) {
    if (text == kPrivateCallText) return kPrivateNumber;
    NumberField f;
    f.fill(0xFF);
    for (std::size_t i = 0; i < text.size() && i < 2 * kNumberFieldSize; ++i) {
        std::uint8_t nibble = 0;
        if (text[i] >= '0' && text[i] <= '9')
            nibble = static_cast<std::uint8_t>(text[i] - '0');
        else if (text[i] == '#')
            nibble = 0xA;
        else
            break;
        std::uint8_t& b = f[i / 2];
        b = i % 2 == 0 ? static_cast<std::uint8_t>((nibble << 4) | 0x0F)
                       : static_cast<std::uint8_t>((b & 0xF0) | nibble);
    }
    return f;
}

bool is_charge_image(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kChargeImageHead &&
           std::memcmp(bytes.data(), kChargeMagic, kChargeHeaderSize) == 0;
}

std::size_t held_records(std::span<const std::uint8_t> image) {
    return std::min<std::size_t>(stored_count(image.data()),
                                 (image.size() - kChargeImageHead) / kChargeRecordSize);
}

ChargeRecord ChargeRecord::from_bytes(const std::uint8_t* b) {
    ChargeRecord r;
    r.amount = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    r.duration =
        static_cast<std::uint16_t>(b[charge_at::Duration] | b[charge_at::Duration + 1] << 8);
    slots::read_call_fields(r, b + charge_at::Subscriber);
    return r;
}

void ChargeRecord::to_bytes(std::uint8_t* b) const {
    for (std::size_t i = 0; i < 4; ++i)
        b[charge_at::Amount + i] = static_cast<std::uint8_t>(amount >> (8 * i));
    b[charge_at::Duration] = static_cast<std::uint8_t>(duration);
    b[charge_at::Duration + 1] = static_cast<std::uint8_t>(duration >> 8);
    slots::write_call_fields(*this, b + charge_at::Subscriber);
}

std::size_t ChargeStore::append_received_block(std::span<const std::uint8_t> payload) {
    std::uint16_t n = count();
    const std::size_t dropped =
        slots::append<kChargeSlots>(std::span(image_).subspan(kChargeImageHead), n, payload);
    set_count(n);
    return dropped;
}

void ChargeStore::sort() {
    slots::sort<kChargeSlots>(image_.data() + kChargeImageHead, count());
    set_filter_range_from_records();
}

void ChargeStore::set_filter_range_from_records() {
    const std::size_t n = count();
    if (n == 0) return;
    const std::uint8_t* first = record_bytes(0);
    const std::uint8_t* last = record_bytes(n - 1);
    filter.from_month = first[charge_at::Month];
    filter.from_day = first[charge_at::Day];
    filter.to_month = last[charge_at::Month];
    filter.to_day = last[charge_at::Day];
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
    set_count(static_cast<std::uint16_t>(held_records({image_.data(), n})));
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
