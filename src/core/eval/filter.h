#pragma once
// The evaluation filter: the year a charge record belongs to, comparable date keys, the
// defaults the system charge list applies, the filter test and the filter dialog's logic.
#include <cstdint>
#include <optional>
#include <string>

#include "core/app/ui.h"
#include "core/data/charge.h"

namespace kalmo::eval {

// Years are counted since 1900 throughout the evaluations ("126" is 2026).
std::uint8_t current_year(const app::LocalTime& now);

// The records carry no year: a month later than the current one must be last year's.
std::uint8_t record_year(std::uint8_t record_month, int current_month, std::uint8_t current_year);

// 360 × (year − 50) + 30 × month + day, every step modulo 65536. Months count 30 days, so day
// 31 of a month has the key of day 1 of the next; years below 50 wrap to large keys.
std::uint16_t date_key(std::uint8_t year, std::uint8_t month, std::uint8_t day);

// Days of month 1 to 12; February always has 28. 0 for anything else.
std::uint8_t days_in_month(unsigned month);

struct FilterKeys {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
    bool operator==(const FilterKeys&) const = default;
};
FilterKeys filter_keys(const data::EvaluationFilter& filter);

// From-year from the store's first record, to-year the current year, minimum 0. Months and
// days stay as the last filling of the store or the last confirmed dialog left them.
void apply_default_filter(data::ChargeStore& store, const app::LocalTime& now);

enum class FilterVerdict { Passes, BelowMinimum, OutsideRange };
FilterVerdict filter_test(const data::ChargeRecord& record, std::uint8_t year,
                          std::uint32_t minimum_amount, const FilterKeys& keys);

// The filter dialog "Auswert-Filter" without its window: the texts it opens with and the
// checks of its "OK". Closing it with the close box changes nothing and needs no call here.
class FilterForm {
public:
    // The edit fields' texts, named after their labels.
    struct Fields {
        std::string from_day, from_month, from_year;
        std::string to_day, to_month, to_year;
        std::string dm, pf;
        bool operator==(const Fields&) const = default;
    };
    // What a confirmed dialog stores: the six dates into the filter, the minimum beside it.
    struct Accepted {
        std::uint8_t from_year = 0, from_month = 0, from_day = 0;
        std::uint8_t to_year = 0, to_month = 0, to_day = 0;
        std::uint32_t entered_minimum = 0; // Pfennig
        bool operator==(const Accepted&) const = default;
    };
    struct OkResult {
        std::optional<app::Message> error; // the dialog stays open and nothing is stored
        Accepted values;
    };

    // Day and month fields limited to 2 characters, the years to 4, the DM field to 3.
    static constexpr unsigned kDateFieldLimit = 2;
    static constexpr unsigned kYearFieldLimit = 4;
    // The years a filter can hold: an 8-bit count since 1900, and no key that wraps below 1950.
    static constexpr unsigned kFirstYear = 1950;
    static constexpr unsigned kLastYear = 1900 + 255;
    static constexpr unsigned kDmFieldLimit = 3;
    static constexpr unsigned kPfFieldLimit = 2;

    static Fields opening_texts(const data::EvaluationFilter& filter);
    // Only the first failing check is reported: months, then days, then years, then the range.
    static OkResult ok(const Fields& fields);
    // A year field's text as years since 1900: four digits are the year itself, one or two
    // digits a year from 2000 on ("26" is 2026), three digits years since 1900 ("126"), as the
    // field showed them before it took four. nullopt for anything else and for years outside
    // kFirstYear to kLastYear.
    static std::optional<std::uint8_t> year_value(const std::string& text);
    // Stores the dates of a confirmed dialog; the filter's minimum amount is left to the list.
    static void store(const Accepted& values, data::EvaluationFilter& filter);
};

} // namespace kalmo::eval
