#include <ostream>

#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "cli/transfer_console.h"
#include "core/data/charge_file.h"
#include "core/link/collect.h"
#include "core/link/journal.h"
#include "core/link/transfers.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {

// What a failed step leaves in the exchange: nothing emptied yet, or the charges emptied (and
// kept in their file) while the call records stay.
struct Emptied {
    std::string charges_file; // empty while no charge record was deleted
};

int refuse(Context& ctx, const std::string& why, const Emptied& emptied) {
    ctx.err << "kalmo: " << why << "; ";
    if (emptied.charges_file.empty())
        ctx.err << "the exchange is not emptied\n";
    else
        ctx.err << "its call records are left in the exchange, but its charge records were "
                   "deleted there (they are kept in "
                << platform::path_to_console(emptied.charges_file) << ")\n";
    return kExitFailed;
}

// What one collect transfer came to, on stderr, as an exit status.
int conclude(Context& ctx, const char* what, const link::CollectedKind& k,
             const link::FileJournal& journal, const Emptied& emptied) {
    using link::Shortfall;
    report_read(ctx, k.got.read, journal);
    if (k.shortfall == Shortfall::NotReached)
        return refuse(ctx, "the exchange was not reached", emptied);
    if (k.kept())
        ctx.err << "kalmo: " << k.count << " " << what << " records kept in "
                << platform::path_to_console(k.path) << "\n";
    switch (k.shortfall) {
    case Shortfall::Cancelled:
        return refuse(ctx, "cancelled", emptied);
    case Shortfall::ReadIncomplete:
        return refuse(ctx, std::string("not every ") + what + " record was read", emptied);
    case Shortfall::NotKept:
        return refuse(ctx, "cannot keep the records in " + platform::path_to_console(k.path),
                      emptied);
    case Shortfall::NotDeleted:
        ctx.err << "kalmo: the " << what
                << " records were not deleted in the exchange; they are kept in "
                << platform::path_to_console(k.path) << "\n";
        return kExitFailed;
    default:
        break;
    }
    if (k.count == 0) ctx.err << "kalmo: no " << what << " records in the exchange\n";
    return kExitOk;
}

} // namespace

// The safe pull-and-empty for unattended use: each kind of record is read completely, kept in
// a file that is read back, and only then emptied in the exchange.
int cmd_collect(Context& ctx) {
    const auto dir = ctx.option("--dir");
    if (!ctx.option("--port") || !dir) return ctx.usage("collect needs --port PORT and --dir DIR");
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;

    TransferSession session(ctx);
    auto charges = std::make_unique<data::ChargeStore>();
    auto calls = std::make_unique<data::CallArchive>();
    auto charge_journal = session.journal(link::JournalKind::Charges);
    auto call_journal = session.journal(link::JournalKind::Calls);
    link::CollectRequest request;
    request.folder = *dir;
    request.stamp = ctx.clock->now();
    request.calls = ctx.option("--calls").has_value();
    request.charge_journal = &charge_journal;
    request.call_journal = &call_journal;
    request.drop = ctx.dropped();
    int status = kExitOk;
    request.after_charges = [&](const link::CollectedKind& k) {
        status = conclude(ctx, "charge", k, charge_journal, {});
        if (status == kExitOk && k.count > 0 &&
            print_system_charge_list(ctx, *charges, *book->lookup) != kExitOk)
            status = kExitFailed;
        return status == kExitOk;
    };
    const link::Collection c = link::collect_into_archive(session.link, *ctx.fs, session.port_name,
                                                          request, *charges, *calls);
    if (!c.folder_made)
        return refuse(ctx, "cannot create the folder " + platform::path_to_console(*dir), {});
    if (status != kExitOk || !request.calls) return status;

    const Emptied emptied{c.charges.emptied() ? c.charges.path : std::string()};
    if (!c.calls.attempted) return refuse(ctx, "cancelled", emptied);
    return conclude(ctx, "call", c.calls, call_journal, emptied);
}

} // namespace kalmo::cli
