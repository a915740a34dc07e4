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

int refuse(Context& ctx, const std::string& why) {
    ctx.err << "kalmo: " << why << "; the exchange is not emptied\n";
    return kExitFailed;
}

// One kind of record: read all, keep them durably, check the copy, and only then empty the
// exchange, on a connection of its own right after the read.
struct Pull {
    std::string dir;
    app::LocalTime stamp;
};

template <typename Store, typename Keep, typename Delete>
int pull(Context& ctx, const Pull& where, link::JournalKind kind, Store& store,
         const link::ReadResult& result, const link::FileJournal& journal, Keep keep,
         Delete delete_in_exchange) {
    const char* what = kind == link::JournalKind::Charges ? "charge" : "call";
    report_read(ctx, result, journal);
    if (!result.connected()) return refuse(ctx, "the exchange was not reached");
    if (result.outcome != link::Outcome::Done)
        return refuse(ctx, std::string("not every ") + what + " record was read");
    if (store.count() == 0) {
        // Nothing to keep, and nothing to delete: a delete now could only take a record that
        // came in after the read.
        ctx.err << "kalmo: no " << what << " records in the exchange\n";
        return kExitOk;
    }
    const std::string path = fresh_name(ctx, where.dir, where.stamp, kind);
    if (!keep(path)) return refuse(ctx, "cannot keep the records in " + platform::to_console(path));
    ctx.err << "kalmo: " << store.count() << " " << what << " records kept in "
            << platform::to_console(path) << "\n";
    if (delete_in_exchange() != link::Outcome::Done) {
        ctx.err << "kalmo: the " << what
                << " records were not deleted in the exchange; they are kept in "
                << platform::to_console(path) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace

// The safe pull-and-empty for unattended use.
int cmd_collect(Context& ctx) {
    const auto dir = ctx.option("--dir");
    if (!ctx.option("--port") || !dir) return ctx.usage("collect needs --port PORT and --dir DIR");
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;
    if (!ctx.fs->make_directories(*dir))
        return refuse(ctx, "cannot create the folder " + platform::to_console(*dir));
    const Pull where{*dir, ctx.clock->now()};

    TransferSession session(ctx);
    auto charges = std::make_unique<data::ChargeStore>();
    auto journal = session.journal(link::JournalKind::Charges);
    const link::ReadResult read =
        link::read_charges(session.link, *charges, session.port_name, &journal);
    int status = pull(
        ctx, where, link::JournalKind::Charges, *charges, read, journal,
        [&](const std::string& path) {
            if (data::save_charge_file(*charges, path, *ctx.fs, *ctx.ui) != data::SaveResult::Saved)
                return false;
            const auto image = charges->save_image();
            return reads_back(ctx, path,
                              {reinterpret_cast<const char*>(image.data()), image.size()});
        },
        [&] {
            data::ChargeStore scratch;
            return link::delete_charges(session.link, scratch, session.port_name,
                                        link::DeleteQuestion::AlreadyConfirmed);
        });
    if (status == kExitOk && charges->count() > 0 &&
        print_system_charge_list(ctx, *charges, *book->lookup) != kExitOk)
        status = kExitFailed;
    if (status != kExitOk || !ctx.option("--calls")) return status;

    auto calls = std::make_unique<data::CallStore>();
    auto call_journal = session.journal(link::JournalKind::Calls);
    const link::ReadResult call_read =
        link::read_calls(session.link, *calls, session.port_name, &call_journal);
    return pull(
        ctx, where, link::JournalKind::Calls, *calls, call_read, call_journal,
        [&](const std::string& path) {
            const std::string bytes(reinterpret_cast<const char*>(calls->record_bytes(0)),
                                    calls->count() * data::kCallRecordSize);
            return ctx.fs->write_replacing(path, bytes) && reads_back(ctx, path, bytes);
        },
        [&] {
            data::CallStore scratch;
            return link::delete_calls(session.link, scratch, session.port_name,
                                      link::DeleteQuestion::AlreadyConfirmed);
        });
}

} // namespace kalmo::cli
