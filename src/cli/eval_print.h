#pragma once
// The evaluation lists on the console, shared by the subcommands that open them.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "cli/cli.h"
#include "core/data/calls.h"
#include "core/data/charge.h"
#include "core/eval/charge_list.h"
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"

namespace kalmo::cli {

// The filter options --from DD.MM.YYYY, --to DD.MM.YYYY and --min DM[,PF] as the texts they
// put into the filter dialog's fields (years as years since 1900, as the dialog shows them).
struct FilterOptions {
    struct Date {
        std::string day, month, year;
    };
    std::optional<Date> from, to;
    std::optional<std::pair<std::string, std::string>> minimum; // DM field, Pf field
};
// Reads them from ctx; nullopt after a usage message when one is malformed. Check them before
// anything is loaded or read.
std::optional<FilterOptions> filter_options(Context& ctx);

// Opens the system charge list over `store` as the GUI does (years and minimum worked out
// afresh), types the given filter options into the filter dialog and confirms it with "OK",
// then prints the two summary lines and every line (with --csv: the listed records as a
// table). Nothing listed: the question or report on stderr, exit 1.
int print_system_charge_list(Context& ctx, data::ChargeStore& store,
                             const phonebook::NumberLookup& lookup,
                             const FilterOptions& options = {},
                             const eval::ProjectNames& projects = {});

// Groups the calls and prints every line of the call list (with --csv: as a table).
int print_call_list(Context& ctx, data::CallStore& calls, const phonebook::NumberLookup& lookup);

// Groups the calls and prints the call statistics of call-list line `line` (0 = first line);
// exit 1 when that line has none (a number called once, or no such line).
int print_call_statistics(Context& ctx, data::CallStore& calls,
                          const phonebook::NumberLookup& lookup, std::size_t line);

// Opens the system charge list `list` over `store` for the dialogs reached from it (subscriber
// sums and statistics). false, after the GUI's message, when the list would have ended at once.
bool open_system_charge_list(Context& ctx, data::ChargeStore& store, eval::SystemChargeList& list,
                             const phonebook::NumberLookup& lookup);

// Loads a charge data file as "&Öffnen" does; false (with a reason on stderr) when the store
// then holds no records.
bool load_charges_for_cli(Context& ctx, data::ChargeStore& store, const std::string& path);

} // namespace kalmo::cli
