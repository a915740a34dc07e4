#include "core/eval/subscriber.h"

#include "core/app/text.h"
#include "core/eval/cells.h"
#include "core/eval/common.h"
#include "core/eval/filter.h"

namespace kalmo::eval {

namespace {
std::string first_stamp(const SubscriberSum& s) {
    return line_stamp(s.first_day, s.first_month, s.first_year, s.first_hour, s.first_minute);
}
std::string last_stamp(const SubscriberSum& s) {
    return line_stamp(s.last_day, s.last_month, s.last_year, s.last_hour, s.last_minute);
}
} // namespace

std::size_t subscriber_sums_in_use(const SubscriberSumTable& sums) {
    std::size_t n = 0;
    while (n < sums.size() && !sums[n].free())
        ++n;
    return n;
}

std::vector<std::string> subscriber_sums_lines(const SubscriberSumTable& sums,
                                               app::Currency currency) {
    std::vector<std::string> lines;
    const std::size_t n = subscriber_sums_in_use(sums);
    for (std::size_t i = 0; i < n; ++i) {
        const SubscriberSum& s = sums[i];
        lines.push_back(app::format(" %s | %s | %s | %4u |      %s ",
                                    subscriber_text(s.subscriber).c_str(), first_stamp(s).c_str(),
                                    last_stamp(s).c_str(), unsigned{s.call_count},
                                    line_amount(s.amount_sum, currency).c_str()));
    }
    return lines;
}

std::optional<SelectedSubscriber> select_subscriber(const std::vector<std::string>& sums_lines,
                                                    std::optional<std::size_t> selected_line) {
    if (!selected_line || *selected_line >= sums_lines.size()) return std::nullopt;
    const std::string& line = sums_lines[*selected_line];
    if (line.size() < 3) return std::nullopt;
    return SelectedSubscriber{*selected_line, line.substr(1, 2)};
}

SubscriberStatistics
subscriber_statistics(const data::ChargeStore& store, const SubscriberSumTable& sums,
                      const SelectedSubscriber& selected, const phonebook::NumberLookup& lookup,
                      const app::LocalTime& now, app::Currency currency, NumberPrivacy privacy) {
    SubscriberStatistics out;
    const std::uint8_t this_year = current_year(now);
    for (std::size_t i = 0; i < store.count(); ++i) {
        const data::ChargeRecord r = store.record(i);
        if (r.empty() || subscriber_text(r.subscriber) != selected.text) continue;
        const std::string number = shown_number(data::number_text(r.number), lookup, privacy);
        out.lines.push_back(
            "   " + charge_cells(r, record_year(r.month, now.month, this_year), number, currency));
    }
    if (selected.index < sums.size()) {
        const SubscriberSum& s = sums[selected.index];
        out.summary_first_line =
            app::format("Summe von Teilnehmer %s      vom %s bis %s", selected.text.c_str(),
                        first_stamp(s).c_str(), last_stamp(s).c_str());
        out.summary_second_line =
            app::format("Summe der Gespräche %3u      Aufgelaufener Betrag %s",
                        unsigned{s.call_count}, line_amount(s.amount_sum, currency).c_str());
    }
    return out;
}

} // namespace kalmo::eval
