#include <ostream>

#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "core/app/text.h"
#include "core/eval/csv.h"
#include "core/eval/subscriber.h"
#include "platform/platform.h"

namespace kalmo::cli {

// "TlnStatistik" on the sums line of subscriber SUB (written as printed, without blanks).
int cmd_subscriber(Context& ctx) {
    const std::string wanted = ctx.positional[1];
    auto store = std::make_unique<data::ChargeStore>();
    if (!load_charges_for_cli(ctx, *store, ctx.positional[0])) return kExitFailed;
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;
    eval::SystemChargeList list(*store);
    if (!open_system_charge_list(ctx, *store, list, *book->lookup)) return kExitFailed;

    const std::vector<std::string> sums = eval::subscriber_sums_lines(list.sums());
    std::optional<eval::SelectedSubscriber> selected;
    for (std::size_t i = 0; i < sums.size() && !selected; ++i) {
        const auto candidate = eval::select_subscriber(sums, i);
        if (candidate && app::trimmed(candidate->text) == wanted) selected = candidate;
    }
    if (!selected) {
        ctx.err << "kalmo: no subscriber " << platform::to_console(wanted)
                << " in the subscriber sums\n";
        return kExitFailed;
    }
    if (ctx.csv) {
        ctx.raw(eval::csv::charge_table(*store,
                                        eval::csv::subscriber_records(*store, selected->text),
                                        *book->lookup, book->project_names, ctx.clock->now())
                    .text());
        return kExitOk;
    }
    const eval::SubscriberStatistics stats = eval::subscriber_statistics(
        *store, list.sums(), *selected, *book->lookup, ctx.clock->now());
    ctx.line(stats.summary_first_line);
    ctx.line(stats.summary_second_line);
    for (const std::string& l : stats.lines)
        ctx.line(l);
    return kExitOk;
}

} // namespace kalmo::cli
