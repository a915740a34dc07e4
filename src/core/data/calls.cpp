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

} // namespace kalmo::data
