#include "cli/cli.h"
#include "cli/transfer_console.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "&Anrufdaten lesen": reads the exchange's call list.
int cmd_read_calls(Context& ctx) {
    if (!ctx.option("--port")) return ctx.usage("read-calls needs --port PORT");
    auto store = std::make_unique<data::CallStore>();
    TransferSession session(ctx);
    link::ReadReport report;
    const bool connected = link::read_calls(session.link, *store, session.port_name, &report);
    bool ok = connected && !session.ui.trouble() && !session.ui.cancelled();
    if (report_dropped(ctx, report.dropped)) ok = false;
    // The call list opens here on a connected read (with --phonebook for the names and
    // --statistics LINE for the calls of one line) once it is part of the console program.
    return ok ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
