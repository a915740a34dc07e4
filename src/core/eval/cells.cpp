#include "core/eval/cells.h"

#include <algorithm>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/common.h"

namespace kalmo::eval {

std::string line_date(unsigned day, unsigned month, unsigned year) {
    return app::format("%02u.%02u.%02u", day, month, year % 100);
}

std::string line_time(unsigned hour, unsigned minute) {
    return app::format("%2u:%02u", hour, minute);
}

std::string line_duration(unsigned seconds) {
    return app::format("%2u.%02u:%02u", seconds / 3600u, (seconds / 60u) % 60u, seconds % 60u);
}

std::string line_amount(std::uint64_t amount, app::Currency currency) {
    return app::format("%4llu,%02u %s", dm_part(amount), pf_part(amount),
                       app::currency_unit(currency));
}

std::string line_stamp(unsigned day, unsigned month, unsigned year, unsigned hour,
                       unsigned minute) {
    return app::format("%2u.%02u.%2u %2u:%02u", day, month, year % 100, hour, minute);
}

std::string charge_cells(const data::ChargeRecord& r, unsigned year, const std::string& number,
                         app::Currency currency) {
    return line_date(r.day, r.month, year) + ' ' + line_time(r.hour, r.minute) + " | " +
           line_duration(r.duration) + " | " + app::format("%24s", number.c_str()) + " | " +
           line_amount(r.amount, currency);
}

std::string confidential_text() {
    return app::string_text(app::str::Confidential);
}

std::string masked_number(const std::string& number, NumberPrivacy privacy) {
    if (privacy.hides(number)) return confidential_text();
    const unsigned digits = privacy.masked_digits;
    if (digits == 0 || number.empty() || !data::is_dial_string(number)) return number;
    std::string out = number;
    const std::size_t n = std::min<std::size_t>(digits, out.size());
    out.replace(out.size() - n, n, n, '*');
    return out;
}

std::string shown_number(const std::string& number, const phonebook::NumberLookup& lookup,
                         NumberPrivacy privacy, std::uint8_t* project) {
    std::string text = number;
    const std::uint8_t found = lookup.lookup(text);
    if (project) *project = found;
    if (privacy.hides(number)) return confidential_text();
    return text == number ? masked_number(number, privacy) : text;
}

} // namespace kalmo::eval
