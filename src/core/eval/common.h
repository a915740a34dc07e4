#pragma once
// Pieces every evaluation list shares.
#include <cstdint>
#include <string>

#include "core/app/ui.h"

namespace kalmo::eval {

// A charge record's subscriber as the charge lists print it: "%2X", or "NN" for the byte 0.
std::string subscriber_text(std::uint8_t subscriber);

// A call record's subscriber: "AVA" for 0xAA, otherwise "%2X" (0 stays " 0").
std::string call_subscriber_text(std::uint8_t subscriber);

// Whole DM of an amount in Pfennig. The full quotient: a 16-bit cut would turn 70,000.00 DM
// into 4,464.00 DM on a bill, so large totals widen their field instead. Totals are summed in
// 64 bits: 2,000 records of up to 42,949,672.95 DM each overflow 32 bits.
inline unsigned long long dm_part(std::uint64_t amount) {
    return static_cast<unsigned long long>(amount / 100);
}
inline unsigned pf_part(std::uint64_t amount) {
    return static_cast<unsigned>(amount % 100);
}

} // namespace kalmo::eval
