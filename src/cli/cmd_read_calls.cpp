#include <ostream>

#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "cli/transfer_console.h"
#include "core/eval/call_list.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "&Anrufdaten lesen": reads the exchange's call list and opens the call list; with
// --statistics LINE (1 = first line) the calls of that line's number follow the list (with
// --csv they alone are written).
int cmd_read_calls(Context& ctx) {
    if (!ctx.option("--port")) return ctx.usage("read-calls needs --port PORT");
    std::optional<std::size_t> statistics_line;
    if (const auto text = ctx.option("--statistics")) {
        std::size_t n = 0;
        for (const char c : *text) {
            if (c < '0' || c > '9' || n > 1000)
                return ctx.usage("--statistics takes a line number");
            n = n * 10 + static_cast<std::size_t>(c - '0');
        }
        if (n == 0) return ctx.usage("--statistics takes a line number from 1 on");
        statistics_line = n - 1;
    }
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;

    auto store = std::make_unique<data::CallStore>();
    TransferSession session(ctx);
    auto journal = session.journal(link::JournalKind::Calls);
    link::ReadResult result =
        link::read_calls(session.link, *store, session.port_name, &journal, ctx.dropped());
    bool ok = report_read(ctx, result, journal);
    if (!result.opens_list()) return kExitFailed;

    // The call list asks before it reads once more into an empty store.
    if (store->count() == 0) {
        if (ctx.ui->show(eval::no_call_data_question()) != app::Answer::Yes) return kExitFailed;
        auto again = session.journal(link::JournalKind::Calls);
        result = link::read_calls(session.link, *store, session.port_name, &again, ctx.dropped());
        ok = report_read(ctx, result, again);
        if (store->count() == 0) return kExitFailed;
    }
    // A table file holds one table: with --csv the statistics stand in for the list.
    if (!(statistics_line && ctx.csv) && print_call_list(ctx, *store, *book->lookup) != kExitOk)
        ok = false;
    if (statistics_line &&
        print_call_statistics(ctx, *store, *book->lookup, *statistics_line) != kExitOk)
        ok = false;
    return ok ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
