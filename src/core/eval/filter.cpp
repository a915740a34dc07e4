#include "core/eval/filter.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/common.h"

namespace kalmo::eval {

std::uint8_t current_year(const app::LocalTime& now) {
    return static_cast<std::uint8_t>(now.year - 1900);
}

std::uint8_t record_year(std::uint8_t record_month, int current_month, std::uint8_t year) {
    if (record_month > current_month) return static_cast<std::uint8_t>(year - 1);
    return year;
}

std::uint16_t date_key(std::uint8_t year, std::uint8_t month, std::uint8_t day) {
    std::uint16_t t = static_cast<std::uint16_t>(360u * year - 18000u);
    t = static_cast<std::uint16_t>(t + 30u * month);
    t = static_cast<std::uint16_t>(t + day);
    return t;
}

std::uint8_t days_in_month(unsigned month) {
    static constexpr std::uint8_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1];
}

FilterKeys filter_keys(const data::EvaluationFilter& f) {
    return {date_key(f.from_year, f.from_month, f.from_day),
            date_key(f.to_year, f.to_month, f.to_day)};
}

void apply_default_filter(data::ChargeStore& store, const app::LocalTime& now) {
    const std::uint8_t year = current_year(now);
    // The list only fills a store that holds records; record 0 is read like the list reads it.
    const std::uint8_t first_month = store.count() > 0 ? store.record(0).month : 0;
    store.filter.from_year = record_year(first_month, now.month, year);
    store.filter.to_year = year;
    store.filter.minimum_amount = 0;
}

FilterVerdict filter_test(const data::ChargeRecord& r, std::uint8_t year,
                          std::uint32_t minimum_amount, const FilterKeys& keys) {
    if (r.amount < minimum_amount) return FilterVerdict::BelowMinimum;
    const std::uint16_t key = date_key(year, r.month, r.day);
    if (key < keys.from || key > keys.to) return FilterVerdict::OutsideRange;
    return FilterVerdict::Passes;
}

FilterForm::Fields FilterForm::opening_texts(const data::EvaluationFilter& f) {
    Fields out;
    out.dm = app::format("%03llu", dm_part(f.minimum_amount));
    out.pf = app::format("%02u", pf_part(f.minimum_amount));
    out.from_year = app::format("%04u", 1900u + f.from_year);
    out.from_month = app::format("%02u", unsigned{f.from_month});
    out.from_day = app::format("%02u", unsigned{f.from_day});
    out.to_year = app::format("%04u", 1900u + f.to_year);
    out.to_month = app::format("%02u", unsigned{f.to_month});
    out.to_day = app::format("%02u", unsigned{f.to_day});
    return out;
}

std::optional<std::uint8_t> FilterForm::year_value(const std::string& text) {
    const std::string t = app::trimmed(text);
    if (t.empty() || t.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (const char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    const unsigned year = t.size() == 4 ? value : t.size() == 3 ? 1900 + value : 2000 + value;
    if (year < kFirstYear || year > kLastYear) return std::nullopt;
    return static_cast<std::uint8_t>(year - 1900);
}

FilterForm::OkResult FilterForm::ok(const Fields& fields) {
    const auto value = [](const std::string& text) { return app::decimal_u16(app::trimmed(text)); };
    const std::uint16_t from_month = value(fields.from_month);
    const std::uint16_t from_day = value(fields.from_day);
    const std::uint16_t to_month = value(fields.to_month);
    const std::uint16_t to_day = value(fields.to_day);

    OkResult result;
    const auto fail = [&](unsigned text_id) {
        result.error =
            app::string_message(text_id, app::str::Error, app::Buttons::Ok, app::Icon::Error);
        return result;
    };
    if (from_month < 1 || from_month > 12 || to_month < 1 || to_month > 12)
        return fail(app::str::MonthInvalid);
    const auto low = [](std::uint16_t v) { return static_cast<std::uint8_t>(v); };
    if (low(from_day) == 0 || low(from_day) > days_in_month(from_month) || low(to_day) == 0 ||
        low(to_day) > days_in_month(to_month))
        return fail(app::str::DayInvalid);
    const std::optional<std::uint8_t> from_year = year_value(fields.from_year);
    const std::optional<std::uint8_t> to_year = year_value(fields.to_year);
    if (!from_year || !to_year) return fail(app::str::YearInvalid);
    if (date_key(*to_year, low(to_month), low(to_day)) <
        date_key(*from_year, low(from_month), low(from_day)))
        return fail(app::str::RangeInvalid);

    const std::uint16_t pf = value(fields.pf);
    const std::uint16_t dm = value(fields.dm);
    result.values.entered_minimum = pf + 100u * dm;
    result.values.from_year = *from_year;
    result.values.from_month = low(from_month);
    result.values.from_day = low(from_day);
    result.values.to_year = *to_year;
    result.values.to_month = low(to_month);
    result.values.to_day = low(to_day);
    return result;
}

void FilterForm::store(const Accepted& v, data::EvaluationFilter& f) {
    f.from_year = v.from_year;
    f.from_month = v.from_month;
    f.from_day = v.from_day;
    f.to_year = v.to_year;
    f.to_month = v.to_month;
    f.to_day = v.to_day;
}

} // namespace kalmo::eval
