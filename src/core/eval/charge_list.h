#pragma once
// The system charge list "Anlageneinzelgebührensummen": one line per charge record that passes
// the evaluation filter, two summary lines over the whole store, and the subscriber sum table
// that the subscriber sums are shown from.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/eval/cells.h"
#include "core/app/currency.h"
#include "core/app/ui.h"
#include "core/data/charge.h"
#include "core/eval/filter.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval {

// One entry for every subscriber byte a record can hold (0xFF marks an empty record), so no
// subscriber ever falls out of the sums.
constexpr std::size_t kSubscriberSumCapacity = 255;

struct SubscriberSum {
    std::uint8_t subscriber = data::kEmptySubscriber; // kEmptySubscriber marks a free entry
    std::uint64_t amount_sum = 0;                     // Pfennig
    std::uint32_t first_minute = 0, first_hour = 0, first_day = 0, first_month = 0,
                  first_year = 0; // the record year of the subscriber's first record
    std::uint32_t last_minute = 0, last_hour = 0, last_day = 0, last_month = 0,
                  last_year = 0; // the record year of the subscriber's last record
    std::uint16_t call_count = 0;

    bool free() const { return subscriber == data::kEmptySubscriber; }
};
using SubscriberSumTable = std::array<SubscriberSum, kSubscriberSumCapacity>;

struct TimeStamp {
    std::uint8_t day = 0, month = 0, year = 0, hour = 0, minute = 0;
};

// Totals of one fill, over every non-empty record whatever the filter.
struct SystemTotals {
    std::uint16_t call_count = 0;
    std::uint64_t amount_total = 0; // Pfennig
    TimeStamp first, last;
    bool first_set = false;
    std::uint16_t listed = 0;
    bool rejected = false; // a record failed the minimum or the date range
};

// How a fill ended. Nothing listed: with records rejected by the filter the list asks whether
// to define the filter anew (Yes runs the filter dialog as its button does, No ends the list);
// without any charge data it reports so and ends.
enum class FillOutcome { Listed, AskFilter, NoChargeData };

struct FillResult {
    FillOutcome outcome = FillOutcome::Listed;
    std::optional<app::Message> message; // the question or the report when nothing is listed
};

// Column header above the list, and the heading its printout gets.
constexpr char kChargeListHeader[] =
    "Tln   Datum    Uhrzeit   Dauer         Amtsrufnummer             Betrag";
constexpr char kChargeListPrintHeading[] =
    " Tln  Datum    Uhrzeit   Dauer         Amtsrufnummer          Betrag";

// One line of the list (after the number lookup replaced the number by a name).
std::string charge_list_line(const data::ChargeRecord& record, std::uint8_t year,
                             const std::string& number, app::Currency currency = app::Currency::DM);

// The dialog's state without its window. The dialog procedure copies lines() into its list and
// the two summary lines into the group above it, and passes "Filter" back through
// refill_after_filter_dialog(). The charge store's from-year must be marked unset before the
// evaluation opens (open_charge_evaluation does that), so the defaults apply on the first fill.
class SystemChargeList {
public:
    // `privacy`: how much of each number the lines show.
    explicit SystemChargeList(data::ChargeStore& store, app::Currency currency = app::Currency::DM,
                              NumberPrivacy privacy = {})
        : store_(store), currency_(currency), privacy_(privacy) {}

    // The whole fill: defaults when the from-year is unset, totals, subscriber sums, the lines.
    // Summary texts change only when a line was listed.
    FillResult fill(const phonebook::NumberLookup& lookup, const app::LocalTime& now);

    // After the filter dialog ended (confirmed or closed): refills only when the date keys or
    // the entered minimum differ from those of the last fill. nullopt = list left unchanged.
    std::optional<FillResult> refill_after_filter_dialog(const phonebook::NumberLookup& lookup,
                                                         const app::LocalTime& now);

    // The filter dialog's texts and its "OK". A confirmed dialog stores the dates into the
    // filter and keeps the minimum as the entered minimum; nullopt when it accepted them.
    FilterForm::Fields filter_dialog_texts() const {
        return FilterForm::opening_texts(store_.filter);
    }
    std::optional<app::Message> filter_dialog_ok(const FilterForm::Fields& fields);

    const std::vector<std::string>& lines() const { return lines_; }
    // Per line: the store index of the record it shows.
    const std::vector<std::size_t>& listed_records() const { return listed_; }
    const std::string& summary_first_line() const { return summary_first_line_; }
    const std::string& summary_second_line() const { return summary_second_line_; }
    const SubscriberSumTable& sums() const { return sums_; }
    const SystemTotals& totals() const { return totals_; }
    std::uint32_t entered_minimum() const { return entered_minimum_; }
    const data::ChargeStore& store() const { return store_; }
    app::Currency currency() const { return currency_; }

private:
    data::ChargeStore& store_;
    app::Currency currency_;
    NumberPrivacy privacy_;
    std::vector<std::string> lines_;
    std::vector<std::size_t> listed_;
    std::string summary_first_line_, summary_second_line_;
    SubscriberSumTable sums_{};
    SystemTotals totals_;
    FilterKeys keys_;
    std::uint32_t entered_minimum_ = 0;
};

// Marks the filter's years to be worked out afresh, as every opening of the evaluation does.
inline void open_charge_evaluation(data::ChargeStore& store) {
    store.filter.from_year = data::EvaluationFilter::kYearUnset;
}

} // namespace kalmo::eval
