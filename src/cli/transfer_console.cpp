#include "cli/transfer_console.h"

#include <csignal>
#include <ostream>

#include "platform/platform.h"
#include "platform/serial.h"

namespace kalmo::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void on_interrupt(int) {
    g_interrupted = 1;
}

} // namespace

ConsoleTransferUi::~ConsoleTransferUi() {
    if (handler_installed_) std::signal(SIGINT, previous_);
}

bool ConsoleTransferUi::open_progress_dialog() {
    if (!handler_installed_) {
        // Cleared once per command, not per dialog: a Ctrl+C between two transfers of one
        // command (while a pull keeps its records, say) must still stop the next one.
        g_interrupted = 0;
        // A wait on the port returns early when the signal comes, so the cancel is seen at once.
        previous_ = std::signal(SIGINT, on_interrupt);
        handler_installed_ = true;
    }
    lines_[0].clear();
    lines_[1].clear();
    return true;
}

void ConsoleTransferUi::close_progress_dialog() {}

void ConsoleTransferUi::set_progress_line(int line, const std::string& text) {
    if (line < 0 || line > 1 || lines_[line] == text) return;
    lines_[line] = text;
    ctx_.err << platform::to_console(text) << "\n";
    ctx_.err.flush();
}

bool ConsoleTransferUi::cancelled() const {
    return g_interrupted != 0;
}

TransferSession::TransferSession(Context& ctx)
    : ctx(ctx), port(platform::make_serial_port()), ui(ctx), link(*port, ui, *ctx.clock),
      port_name(platform::serial_device(ctx.option("--port").value_or(""))) {}

link::FileJournal TransferSession::journal(link::JournalKind kind) {
    return link::FileJournal(*ctx.fs, *ctx.clock,
                             ctx.option("--journal").value_or(platform::default_journal_folder()),
                             kind);
}

bool report_read(Context& ctx, const link::ReadResult& result, const link::FileJournal& journal) {
    if (!journal.path().empty())
        ctx.err << "kalmo: journal " << platform::path_to_console(journal.path()) << " ("
                << journal.records() << " records)\n";
    if (result.dropped > 0)
        // Nothing in memory shows them; they are still in the exchange, so it must not be emptied.
        ctx.err << "kalmo: " << result.dropped
                << " records beyond the store's capacity were not stored; they are still in the "
                   "exchange\n";
    return result.outcome == link::Outcome::Done;
}

} // namespace kalmo::cli
