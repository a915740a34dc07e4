#include <ostream>

#include "cli/cli.h"
#include "cli/eval_print.h"
#include "cli/phonebook_option.h"
#include "cli/transfer_console.h"
#include "core/data/charge_file.h"
#include "core/link/journal.h"
#include "core/link/transfers.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {

// A name in `dir` for this pull that no earlier file has.
std::string fresh_name(Context& ctx, const std::string& dir, const app::LocalTime& stamp,
                       link::JournalKind kind) {
    std::string path;
    for (int n = 1; n < 100; ++n) {
        path = app::join_path(dir, link::journal_file_name(stamp, kind, n));
        if (!ctx.fs->exists(path)) break;
    }
    return path;
}

// The file as it now stands on the disk equals what was received.
bool reads_back(Context& ctx, const std::string& path, std::string_view expected) {
    const auto bytes = ctx.fs->read(path, expected.size() + 1);
    return bytes && std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()) ==
                        expected;
}

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
int conclude(Context& ctx, const char* what, std::size_t count, const link::CollectResult& got,
             const link::FileJournal& journal, const std::string& path, const Emptied& emptied) {
    report_read(ctx, got.read, journal);
    if (!got.read.connected()) return refuse(ctx, "the exchange was not reached", emptied);
    if (got.kept)
        ctx.err << "kalmo: " << count << " " << what << " records kept in "
                << platform::path_to_console(path) << "\n";
    if (got.read.outcome == link::Outcome::Cancelled) return refuse(ctx, "cancelled", emptied);
    if (got.read.outcome != link::Outcome::Done)
        return refuse(ctx, std::string("not every ") + what + " record was read", emptied);
    if (count == 0) {
        // Nothing to keep, and nothing to delete: a delete now could only take a record that
        // came in after the read.
        ctx.err << "kalmo: no " << what << " records in the exchange\n";
        return kExitOk;
    }
    if (!got.kept)
        return refuse(ctx, "cannot keep the records in " + platform::path_to_console(path),
                      emptied);
    if (got.deleted != link::Outcome::Done) {
        ctx.err << "kalmo: the " << what
                << " records were not deleted in the exchange; they are kept in "
                << platform::path_to_console(path) << "\n";
        return kExitFailed;
    }
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
    if (!ctx.fs->make_directories(*dir))
        return refuse(ctx, "cannot create the folder " + platform::path_to_console(*dir), {});
    const app::LocalTime stamp = ctx.clock->now();

    TransferSession session(ctx);
    auto charges = std::make_unique<data::ChargeStore>();
    auto journal = session.journal(link::JournalKind::Charges);
    std::string charge_path;
    const link::CollectResult got = link::collect_charges(
        session.link, *charges, session.port_name, &journal,
        [&] {
            charge_path = fresh_name(ctx, *dir, stamp, link::JournalKind::Charges);
            if (data::save_charge_file(*charges, charge_path, *ctx.fs, *ctx.ui) !=
                data::SaveResult::Saved)
                return false;
            const auto image = charges->save_image();
            return reads_back(ctx, charge_path,
                              {reinterpret_cast<const char*>(image.data()), image.size()});
        },
        ctx.dropped());
    int status = conclude(ctx, "charge", charges->count(), got, journal, charge_path, {});
    if (status == kExitOk && charges->count() > 0 &&
        print_system_charge_list(ctx, *charges, *book->lookup) != kExitOk)
        status = kExitFailed;
    if (status != kExitOk || !ctx.option("--calls")) return status;

    const Emptied emptied{got.deleted == link::Outcome::Done ? charge_path : std::string()};
    if (session.ui.cancelled()) return refuse(ctx, "cancelled", emptied);
    auto calls = std::make_unique<data::CallArchive>();
    auto call_journal = session.journal(link::JournalKind::Calls);
    std::string call_path;
    const link::CollectResult call_got = link::collect_calls(
        session.link, *calls, session.port_name, &call_journal,
        [&] {
            call_path = fresh_name(ctx, *dir, stamp, link::JournalKind::Calls);
            const std::string bytes(reinterpret_cast<const char*>(calls->record_bytes(0)),
                                    calls->count() * data::kCallRecordSize);
            return ctx.fs->write_replacing(call_path, bytes) && reads_back(ctx, call_path, bytes);
        },
        ctx.dropped());
    return conclude(ctx, "call", calls->count(), call_got, call_journal, call_path, emptied);
}

} // namespace kalmo::cli
