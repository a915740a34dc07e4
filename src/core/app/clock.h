#pragma once
// A clock whose date is fixed and whose time of day stays real: the console's --today, and
// the Windows program's KALMO_TODAY, so that a list can be shown as on a chosen day (a December
// call seen in January).
#include <optional>
#include <string>

#include "core/app/ui.h"

namespace kalmo::app {

class FixedDateClock : public Clock {
public:
    FixedDateClock(Clock& real, std::optional<LocalTime> date) : real_(real), date_(date) {}
    LocalTime now() override;
    std::int64_t monotonic_ms() override { return real_.monotonic_ms(); }

private:
    Clock& real_;
    std::optional<LocalTime> date_;
};

// "YYYY-MM-DD", a real calendar date from 1900 to 2155 (the years the evaluations count).
std::optional<LocalTime> parse_iso_date(const std::string& text);

} // namespace kalmo::app
