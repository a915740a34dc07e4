#include "cli/cli.h"
#include "cli/transfer_console.h"
#include "core/data/charge_file.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "&Gebührendaten lesen": reads every charge record of the exchange; with --out the records are
// then saved as "Sichern &als" saves them.
int cmd_read_charges(Context& ctx) {
    if (!ctx.option("--port")) return ctx.usage("read-charges needs --port PORT");
    auto store = std::make_unique<data::ChargeStore>();
    TransferSession session(ctx);
    link::ReadReport report;
    const bool records = link::read_charges(session.link, *store, session.port_name, &report);
    bool ok = records && !session.ui.trouble() && !session.ui.cancelled();
    if (report_dropped(ctx, report.dropped)) ok = false;
    if (records) {
        if (const auto out = ctx.option("--out")) {
            // What arrived is saved even after a failed or cancelled read: it may be the only
            // copy once the exchange is emptied.
            if (data::save_charge_file(*store, *out, *ctx.fs, *ctx.ui) != data::SaveResult::Saved)
                ok = false;
        }
        // The system charge list opens here (with --phonebook for the names) once the charge
        // evaluation is part of the console program.
    }
    return ok ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
