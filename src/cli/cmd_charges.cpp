#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"

namespace kalmo::cli {

// The system charge list of a charge data file, as "&Gebührenerfassung" shows it.
int cmd_charges(Context& ctx) {
    const auto options = filter_options(ctx);
    if (!options) return kExitUsage;
    auto store = std::make_unique<data::ChargeStore>();
    if (!load_charges_for_cli(ctx, *store, ctx.positional[0])) return kExitFailed;
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;
    return print_system_charge_list(ctx, *store, *book->lookup, *options, book->project_names);
}

} // namespace kalmo::cli
