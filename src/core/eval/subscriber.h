#pragma once
// Subscriber sums "Anlagen Teilnehmergebührensummen" (one line per subscriber of the sum table
// the system charge list built) and subscriber statistics "Teilnehmereinzelgebührensummen"
// (every call of one subscriber). Neither applies the evaluation filter.
#include <optional>
#include <string>
#include <vector>

#include "core/eval/cells.h"
#include "core/app/ui.h"
#include "core/data/charge.h"
#include "core/eval/charge_list.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval {

constexpr char kSubscriberSumsHeader[] =
    "Tln-Nr       vom            bis zum       Anz.       Betrag ";
constexpr char kSubscriberStatisticsHeader[] =
    "Datum    Uhrzeit   Dauer         Amtsrufnummer             Betrag";

// The entries in use: from the first on, up to the first free one.
std::size_t subscriber_sums_in_use(const SubscriberSumTable& sums);

// The lines of the sums list, in table order (the order subscribers first occur in the store).
std::vector<std::string> subscriber_sums_lines(const SubscriberSumTable& sums,
                                               app::Currency currency = app::Currency::DM);

// The subscriber that "TlnStatistik" takes from a sums line: its index and the two characters
// after the line's first one (the subscriber text). nullopt for no or an unknown selection.
struct SelectedSubscriber {
    std::size_t index = 0;
    std::string text; // two characters, e.g. "21", " 5", "NN"
};
std::optional<SelectedSubscriber> select_subscriber(const std::vector<std::string>& sums_lines,
                                                    std::optional<std::size_t> selected_line);

struct SubscriberStatistics {
    // The two lines of the "Statistik" group: the period, then the count and the amount.
    std::string summary_first_line, summary_second_line;
    std::vector<std::string> lines;
};

// Every non-empty record whose subscriber text equals the selected one, in store order, each
// with its record year. The sum lines come from the subscriber sum table.
SubscriberStatistics
subscriber_statistics(const data::ChargeStore& store, const SubscriberSumTable& sums,
                      const SelectedSubscriber& selected, const phonebook::NumberLookup& lookup,
                      const app::LocalTime& now, app::Currency currency = app::Currency::DM,
                      NumberPrivacy privacy = {});

} // namespace kalmo::eval
