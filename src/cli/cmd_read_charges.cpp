#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "cli/transfer_console.h"
#include "core/data/charge_file.h"
#include "core/link/transfers.h"

namespace kalmo::cli {

// "&Gebührendaten lesen": reads every charge record of the exchange; with --out the records are
// then saved as "Sichern &als" saves them, and the system charge list opens as after the menu
// command.
int cmd_read_charges(Context& ctx) {
    if (!ctx.option("--port")) return ctx.usage("read-charges needs --port PORT");
    // The phonebook first: a wrong path must not cost a transfer.
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;
    auto store = std::make_unique<data::ChargeStore>();
    TransferSession session(ctx);
    auto journal = session.journal(link::JournalKind::Charges);
    const link::ReadResult result =
        link::read_charges(session.link, *store, session.port_name, &journal, ctx.dropped());
    bool ok = report_read(ctx, result, journal);
    if (!result.opens_list()) return kExitFailed;
    if (const auto out = ctx.option("--out")) {
        // What arrived is saved even after a failed or cancelled read: it may be the only copy
        // once the exchange is emptied.
        if (data::save_charge_file(*store, *out, *ctx.fs, *ctx.ui) != data::SaveResult::Saved)
            ok = false;
    }
    if (print_system_charge_list(ctx, *store, *book->lookup) != kExitOk) ok = false;
    return ok ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
