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
    const auto open = open_charge_list_for_cli(ctx);
    if (!open) return kExitFailed;
    const std::unique_ptr<data::ChargeStore>& store = open->store;
    const CliPhonebook* book = &open->book;
    const eval::SystemChargeList& list = *open->list;

    const std::vector<std::string> sums = eval::subscriber_sums_lines(list.sums(), ctx.currency);
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
        ctx.raw(eval::csv::charge_table(
                    *store, eval::csv::subscriber_records(*store, selected->text), *book->lookup,
                    book->project_names, ctx.clock->now(), ctx.currency, ctx.privacy())
                    .text());
        return kExitOk;
    }
    const eval::SubscriberStatistics stats =
        eval::subscriber_statistics(*store, list.sums(), *selected, *book->lookup, ctx.clock->now(),
                                    ctx.currency, ctx.privacy());
    ctx.line(stats.summary_first_line);
    ctx.line(stats.summary_second_line);
    for (const std::string& l : stats.lines)
        ctx.line(l);
    return kExitOk;
}

} // namespace kalmo::cli
