#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "core/eval/csv.h"
#include "core/eval/subscriber.h"

namespace kalmo::cli {

// "Tln-Summen" of the system charge list: one line per subscriber.
int cmd_sums(Context& ctx) {
    const auto open = open_charge_list_for_cli(ctx);
    if (!open) return kExitFailed;
    const eval::SystemChargeList& list = *open->list;
    if (ctx.csv) {
        ctx.raw(
            eval::csv::subscriber_sums_table(list.sums(), ctx.clock->now(), ctx.currency).text());
        return kExitOk;
    }
    for (const std::string& l : eval::subscriber_sums_lines(list.sums(), ctx.currency))
        ctx.line(l);
    return kExitOk;
}

} // namespace kalmo::cli
