#pragma once
// The unit every amount is shown with. The exchange counts hundredths either way: Pfennig, or
// cents once it was set to euro. Its numbers are shown as they are; only the unit follows this
// setting, so a switch never changes a sum.
#include <optional>
#include <string_view>

#include "core/app/text.h"

namespace kalmo::app {

enum class Currency { DM, EUR };

// "DM" or "EUR", written after every amount.
inline const char* currency_unit(Currency c) {
    return c == Currency::EUR ? "EUR" : "DM";
}
// The hundredths: "Pf" or "Cent" (a spreadsheet's column of whole hundredths).
inline const char* minor_unit(Currency c) {
    return c == Currency::EUR ? "Cent" : "Pf";
}
// "DM" or "EUR" in any case; nullopt for anything else.
inline std::optional<Currency> parse_currency(std::string_view text) {
    if (equal_ignoring_case(text, "DM")) return Currency::DM;
    if (equal_ignoring_case(text, "EUR")) return Currency::EUR;
    return std::nullopt;
}

} // namespace kalmo::app
