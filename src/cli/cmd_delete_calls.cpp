#include "cli/cli.h"
#include "cli/transfer_console.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "Anrufdaten l&öschen": empties the exchange's call list (asks first; --yes answers).
int cmd_delete_calls(Context& ctx) {
    if (!ctx.option("--port")) return ctx.usage("delete-calls needs --port PORT");
    auto store = std::make_unique<data::CallStore>();
    TransferSession session(ctx);
    return link::delete_calls(session.link, *store, session.port_name) == link::Outcome::Done
               ? kExitOk
               : kExitFailed;
}

} // namespace kalmo::cli
