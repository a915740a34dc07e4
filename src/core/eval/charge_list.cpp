#include "core/eval/charge_list.h"

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/cells.h"
#include "core/eval/common.h"

namespace kalmo::eval {

std::string charge_list_line(const data::ChargeRecord& r, std::uint8_t year,
                             const std::string& number, app::Currency currency) {
    return app::format(" %3s | ", subscriber_text(r.subscriber).c_str()) +
           charge_cells(r, year, number, currency);
}

namespace {
std::string stamp_text(const TimeStamp& t) {
    return line_stamp(t.day, t.month, t.year, t.hour, t.minute);
}

void add_to_sums(SubscriberSumTable& sums, const data::ChargeRecord& r, std::uint8_t year) {
    for (SubscriberSum& s : sums) {
        if (s.subscriber != r.subscriber && !s.free()) continue;
        if (s.first_day == 0) {
            s.subscriber = r.subscriber;
            s.first_minute = r.minute;
            s.first_hour = r.hour;
            s.first_day = r.day;
            s.first_month = r.month;
            s.first_year = year;
        }
        s.last_minute = r.minute;
        s.last_hour = r.hour;
        s.last_day = r.day;
        s.last_month = r.month;
        s.last_year = year;
        s.amount_sum += r.amount;
        ++s.call_count;
        return;
    }
}
} // namespace

FillResult SystemChargeList::fill(const phonebook::NumberLookup& lookup,
                                  const app::LocalTime& now) {
    for (SubscriberSum& s : sums_) {
        s.subscriber = data::kEmptySubscriber;
        s.amount_sum = 0;
        s.first_day = 0;
        s.call_count = 0;
    }
    lines_.clear();
    listed_.clear();

    const std::uint8_t this_year = current_year(now);
    data::EvaluationFilter& filter = store_.filter;
    if (filter.from_year == data::EvaluationFilter::kYearUnset) {
        apply_default_filter(store_, now);
        entered_minimum_ = 0;
    }
    keys_ = filter_keys(filter);
    totals_ = SystemTotals{};

    for (std::size_t i = 0; i < store_.count(); ++i) {
        const data::ChargeRecord r = store_.record(i);
        if (r.empty()) continue;
        const std::uint8_t year = record_year(r.month, now.month, this_year);

        ++totals_.call_count;
        totals_.amount_total += r.amount;
        const TimeStamp stamp{r.day, r.month, year, r.hour, r.minute};
        if (!totals_.first_set) {
            totals_.first = stamp;
            totals_.first_set = true;
        }
        totals_.last = stamp;

        add_to_sums(sums_, r, year);

        if (filter_test(r, year, filter.minimum_amount, keys_) != FilterVerdict::Passes) {
            totals_.rejected = true;
            continue;
        }
        const std::string number = shown_number(data::number_text(r.number), lookup, privacy_);
        lines_.push_back(charge_list_line(r, year, number, currency_));
        listed_.push_back(i);
        ++totals_.listed;
    }

    if (totals_.listed > 0) {
        summary_first_line_ =
            app::format("Anlagengebührensumme %-21svom %s bis %s", "",
                        stamp_text(totals_.first).c_str(), stamp_text(totals_.last).c_str());
        summary_second_line_ = app::format("Summe der Gespräche %5u %-16sAufgelaufener Betrag %s",
                                           unsigned{totals_.call_count}, "",
                                           line_amount(totals_.amount_total, currency_).c_str());
        return {FillOutcome::Listed, std::nullopt};
    }
    if (totals_.rejected)
        return {FillOutcome::AskFilter,
                app::string_message(app::str::AllOutsideFilter, app::str::Information,
                                    app::Buttons::YesNo, app::Icon::Information)};
    return {FillOutcome::NoChargeData, app::string_message(app::str::NoChargeData, app::str::Error,
                                                           app::Buttons::Ok, app::Icon::Error)};
}

std::optional<FillResult>
SystemChargeList::refill_after_filter_dialog(const phonebook::NumberLookup& lookup,
                                             const app::LocalTime& now) {
    if (filter_keys(store_.filter) == keys_ && entered_minimum_ == store_.filter.minimum_amount)
        return std::nullopt;
    store_.filter.minimum_amount = entered_minimum_;
    return fill(lookup, now);
}

std::optional<app::Message> SystemChargeList::filter_dialog_ok(const FilterForm::Fields& fields) {
    const FilterForm::OkResult result = FilterForm::ok(fields);
    if (result.error) return result.error;
    FilterForm::store(result.values, store_.filter);
    entered_minimum_ = result.values.entered_minimum;
    return std::nullopt;
}

} // namespace kalmo::eval
