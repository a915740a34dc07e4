#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "core/eval/csv.h"
#include "core/eval/subscriber.h"

namespace kalmo::cli {

// "Tln-Summen" of the system charge list: one line per subscriber.
int cmd_sums(Context& ctx) {
    auto store = std::make_unique<data::ChargeStore>();
    if (!load_charges_for_cli(ctx, *store, ctx.positional[0])) return kExitFailed;
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;
    eval::SystemChargeList list(*store);
    if (!open_system_charge_list(ctx, *store, list, *book->lookup)) return kExitFailed;
    if (ctx.csv) {
        ctx.raw(eval::csv::subscriber_sums_table(list.sums(), ctx.clock->now()).text());
        return kExitOk;
    }
    for (const std::string& l : eval::subscriber_sums_lines(list.sums()))
        ctx.line(l);
    return kExitOk;
}

} // namespace kalmo::cli
