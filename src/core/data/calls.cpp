#include "core/data/calls.h"

#include "core/data/record_slots.h"

namespace kalmo::data {

namespace {
constexpr slots::Layout kCallSlots{kCallRecordSize, kCallCapacity, call_at::Subscriber};
} // namespace

CallRecord CallRecord::from_bytes(const std::uint8_t* b) {
    CallRecord r;
    slots::read_call_fields(r, b + call_at::Subscriber);
    return r;
}

void CallRecord::to_bytes(std::uint8_t* b) const {
    slots::write_call_fields(*this, b + call_at::Subscriber);
}

std::size_t CallStore::append_received_block(std::span<const std::uint8_t> payload) {
    return slots::append<kCallSlots>(slots_, count_, payload);
}

void CallStore::sort() {
    slots::sort<kCallSlots>(slots_.data(), count_);
}

std::size_t CallArchive::append_received_block(std::span<const std::uint8_t> payload) {
    const std::size_t whole = payload.size() / kCallRecordSize;
    const std::size_t kept = std::min(whole, kCapacity - count());
    bytes_.insert(bytes_.end(), payload.begin(),
                  payload.begin() + static_cast<std::ptrdiff_t>(kept * kCallRecordSize));
    return whole - kept;
}

void CallArchive::sort() {
    slots::sort<kCallSlots>(bytes_.data(), count());
}

} // namespace kalmo::data
