#include "cli/cli.h"
#include "cli/transfer_console.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "Gebührendaten &löschen": empties the exchange's charge records (asks first; --yes answers).
int cmd_delete_charges(Context& ctx) {
    if (!ctx.option("--port")) return ctx.usage("delete-charges needs --port PORT");
    auto store = std::make_unique<data::ChargeStore>();
    TransferSession session(ctx);
    return link::delete_charges(session.link, *store, session.port_name) == link::Outcome::Done
               ? kExitOk
               : kExitFailed;
}

} // namespace kalmo::cli
