#pragma once
// The call list "Anrufliste" (one line per calling number, on the date of its latest call, with
// the number of calls), the call statistics "Anrufstatistik" (every call of one number) and the
// speed-dial code check of "Kurzwahlziel".
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/eval/cells.h"
#include "core/app/ui.h"
#include "core/data/calls.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval {

constexpr char kCallListHeader[] = "Tln   Datum    Uhrzeit     Amtsrufnummer            Anz ";
constexpr char kCallStatisticsHeader[] = "Tln    Datum   Uhrzeit         Amtsrufnummer     ";
constexpr char kUnknownNumber[] = "Rufnummer unbekannt";

// Asked when the call list opens over an empty call store; Yes reads the calls.
app::Message no_call_data_question();

// Rewrites the repeat counts: for each distinct number text (before any phonebook lookup) its
// last record in store order holds how many records carry it, every other record 0. Empty
// records count too; records without a number form one group.
void group_calls(data::CallStore& calls);

struct CallList {
    std::vector<std::string> lines;
    std::vector<std::size_t> line_map; // per line: the index of the record it shows
};

// Needs the repeat counts of group_calls(). A count above the capacity is cut to it first, as
// the list has always done.
CallList fill_call_list(data::CallStore& calls, const phonebook::NumberLookup& lookup,
                        const app::LocalTime& now, NumberPrivacy privacy = {});

// "Statistik" for a selected line: the calls from the number of record `record`, in store order
// up to it. Empty when the button does nothing (the number was called only once) or when the
// dialog would end at once (fewer than two lines).
std::vector<std::string> call_statistics(const data::CallStore& calls, std::size_t record,
                                         const phonebook::NumberLookup& lookup,
                                         const app::LocalTime& now, NumberPrivacy privacy = {});

// The records those lines show, in the same order.
std::vector<std::size_t> call_statistics_records(const data::CallStore& calls, std::size_t record);

// The same for a line of the call list (nothing for a line that does not exist).
std::vector<std::string> call_statistics_of_line(const data::CallStore& calls, const CallList& list,
                                                 std::size_t line,
                                                 const phonebook::NumberLookup& lookup,
                                                 const app::LocalTime& now,
                                                 NumberPrivacy privacy = {});

// What "Kurzwahlziel" writes: the raw number text of the record (never the phonebook name)
// under the speed-dial index code − 100.
struct SpeedDialTarget {
    std::string number;
    std::uint8_t index = 0; // 0 to 199
    bool operator==(const SpeedDialTarget&) const = default;
};
constexpr char kSpeedDialInitialText[] = "100";
constexpr unsigned kSpeedDialFieldLimit = 3;

// Checks the code field: digits only, 100 to 299. Anything else gives message 142 and the
// dialog ends without writing.
std::variant<app::Message, SpeedDialTarget>
speed_dial(const data::CallStore& calls, std::size_t record, const std::string& code_text);

} // namespace kalmo::eval
