#pragma once
// The cells a list line is built of: date, time, duration and amount of a record, and the
// time stamps of the summary lines. Every list formats them here, so that a change of the
// year or the currency reaches the screen, the paper and the console alike.
#include <cstdint>
#include <string>

#include "core/app/currency.h"
#include "core/data/confidential.h"
#include "core/data/charge.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval {

// Date "14.03.96" of a list line. The year counts since 1900 and shows its last two digits
// (2026 as "26"): the columns under the headers were laid out for two.
std::string line_date(unsigned day, unsigned month, unsigned year);
// Time " 9:05".
std::string line_time(unsigned hour, unsigned minute);
// Duration " 1.02:05" (hours, minutes, seconds).
std::string line_duration(unsigned seconds);
// Amount "  12,34 DM" in hundredths; wider amounts widen the field.
std::string line_amount(std::uint64_t amount, app::Currency currency = app::Currency::DM);
// Time stamp "14.03.96  9:05" of a summary line, every number right-aligned; the year as in
// line_date (2005 as " 5").
std::string line_stamp(unsigned day, unsigned month, unsigned year, unsigned hour, unsigned minute);

// A charge record's cells from its date to its amount:
// "14.03.96  9:05 |  1.02:05 |               0123456789 |   12,34 DM".
std::string charge_cells(const data::ChargeRecord& record, unsigned year, const std::string& number,
                         app::Currency currency = app::Currency::DM);

// The most digits a list may cut from a number ("Datenschutz" / "Kuerzen").
constexpr unsigned kMaxMaskedDigits = 6;

// How much of a number the lists may show: the last `masked_digits` digits never, a number
// that begins with a confidential entry not at all. A plain digit count converts, so a caller
// that knows no confidential numbers passes the setting alone.
struct NumberPrivacy {
    NumberPrivacy(unsigned digits = 0, const data::ConfidentialNumbers* numbers = nullptr)
        : masked_digits(digits), confidential(numbers) {}
    unsigned masked_digits;
    const data::ConfidentialNumbers* confidential;
    bool hides(const std::string& number) const {
        return confidential && confidential->matches(number);
    }
};

// What a list shows in place of a confidential number, and of its phonebook name.
std::string confidential_text();

// A dialled or calling number with its last `masked_digits` characters as "*" (all of them
// when it is no longer), or the confidential text; a text that is no number
// ("Privatgespräch") stays as it is.
std::string masked_number(const std::string& number, NumberPrivacy privacy);

// The number as a list shows it: the phonebook's name when the lookup knows it (found with the
// whole number), else the number masked as above; a confidential number shows neither.
// `project` receives the lookup's project all the same, so the number's project total holds.
std::string shown_number(const std::string& number, const phonebook::NumberLookup& lookup,
                         NumberPrivacy privacy, std::uint8_t* project = nullptr);

} // namespace kalmo::eval
