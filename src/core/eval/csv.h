#pragma once
// The lists as semicolon-separated tables for a spreadsheet: UTF-8 with a byte-order mark (so
// that a German spreadsheet takes the umlauts as they are), one header row, one row per list
// line, each value in a column of its own. Cells are given in the Windows character set, as
// every text of the program is, and converted on the way out.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/eval/cells.h"
#include "core/app/ui.h"
#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/eval/charge_list.h"
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"
#include "core/phonebook/phonebook.h"

namespace kalmo::eval::csv {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Windows-1252 bytes as UTF-8 (the five bytes without a character become U+FFFD).
std::string ansi_to_utf8(std::string_view ansi);

// One cell as it stands in the file: quoted, with inner quotes doubled, when it holds the
// separator, a quote or a line break.
std::string quoted(std::string_view utf8);

// A cell as a spreadsheet must take it: text that begins like a formula (=, +, -, @, a tab or
// a carriage return; phonebook and project names are anybody's input) behind an apostrophe, so
// that nothing runs when the table is opened; digits with a leading zero (dialled numbers) as a
// text constant, which a spreadsheet would otherwise turn into a number without its zeros.
std::string spreadsheet_cell(std::string_view ansi);

class Table {
public:
    explicit Table(std::vector<std::string> header);
    void add(const std::vector<std::string>& cells);
    // Byte-order mark, header row and rows, each ended by CR LF.
    const std::string& text() const { return text_; }

private:
    void add_row(const std::vector<std::string>& cells);
    std::string text_;
};

// Cell texts.
std::string date_cell(unsigned day, unsigned month, unsigned full_year); // "07.03.2026"
std::string time_cell(unsigned hour, unsigned minute);                   // "09:05"
std::string duration_cell(unsigned seconds);                             // "1.02:05" as the lists
std::string dm_cell(std::uint64_t pfennig);                              // "1234,56"
std::string subscriber_cell(std::uint8_t subscriber);                    // "21", "5", "NN"

// Charge records: subscriber, date, time, duration in seconds and as text, number, phonebook
// name, amount in Pfennig and in DM, project number and name. The year is the record year.
Table charge_table(const data::ChargeStore& store, const std::vector<std::size_t>& records,
                   const phonebook::NumberLookup& lookup, const ProjectNames& projects,
                   const app::LocalTime& now, app::Currency currency = app::Currency::DM,
                   NumberPrivacy privacy = {});

// Which records each list shows.
std::vector<std::size_t> subscriber_records(const data::ChargeStore& store,
                                            const std::string& subscriber_text);
std::vector<std::size_t> project_records(const data::ChargeStore& store,
                                         const phonebook::NumberLookup& lookup,
                                         std::uint8_t project);

// The subscriber sums: first and last call, calls, amount.
Table subscriber_sums_table(const SubscriberSumTable& sums, const app::LocalTime& now,
                            app::Currency currency = app::Currency::DM);

// The header cells of an amount: "Betrag (Pf)" and "Betrag (DM)", or in cents and euro.
std::string amount_header(app::Currency currency);
std::string hundredths_header(app::Currency currency);

// The phonebook editor's list: name, codes, number, project number and name.
Table phonebook_table(const phonebook::Phonebook& book);

// The call list: one row per line (the latest call of a number) with the number of calls.
Table call_list_table(const data::CallStore& calls, const std::vector<std::size_t>& records,
                      const phonebook::NumberLookup& lookup, const app::LocalTime& now,
                      NumberPrivacy privacy = {});

// The call statistics of one number: one row per call, as its dialog lists them.
Table call_statistics_table(const data::CallStore& calls, const std::vector<std::size_t>& records,
                            const phonebook::NumberLookup& lookup, const app::LocalTime& now,
                            NumberPrivacy privacy = {});

} // namespace kalmo::eval::csv
