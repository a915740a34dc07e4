#include "core/app/clock.h"

#include <cstdio>

namespace kalmo::app {

LocalTime FixedDateClock::now() {
    LocalTime t = real_.now();
    if (date_) {
        t.year = date_->year;
        t.month = date_->month;
        t.day = date_->day;
    }
    return t;
}

namespace {
int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}
} // namespace

std::optional<LocalTime> parse_iso_date(const std::string& text) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return std::nullopt;
    if (y < 1900 || y > 2155 || m < 1 || m > 12 || d < 1 || d > days_in_month(y, m))
        return std::nullopt;
    LocalTime date;
    date.year = y;
    date.month = m;
    date.day = d;
    return date;
}

} // namespace kalmo::app
