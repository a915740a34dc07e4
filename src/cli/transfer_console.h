#pragma once
// Exchange transfers from the console: the progress dialog's lines go to stderr as they change,
// Ctrl+C is the dialog's "Abbrechen", and it holds for the rest of the command.
#include <memory>
#include <string>

#include "cli/cli.h"
#include "core/link/journal.h"
#include "core/link/protocol.h"
#include "core/link/transfer_ui.h"

namespace kalmo::cli {

class ConsoleTransferUi : public link::TransferUi {
public:
    explicit ConsoleTransferUi(Context& ctx) : ctx_(ctx) {}
    ~ConsoleTransferUi() override;

    app::Answer show(const app::Message& message) override { return ctx_.ui->show(message); }
    bool open_progress_dialog() override;
    void close_progress_dialog() override;
    void set_progress_line(int line, const std::string& text) override;
    bool cancelled() const override;

private:
    Context& ctx_;
    bool handler_installed_ = false;
    void (*previous_)(int) = nullptr;
    std::string lines_[2];
};

// Port, progress output and link of one transfer command. `port_name` is empty when --port is
// missing.
struct TransferSession {
    explicit TransferSession(Context& ctx);
    // The journal of one read, in --journal DIR or the default folder.
    link::FileJournal journal(link::JournalKind kind);

    Context& ctx;
    std::unique_ptr<link::SerialPort> port;
    ConsoleTransferUi ui;
    link::Link link;
    std::string port_name;
};

// What a read left behind, on stderr: the journal file, and records beyond the store's capacity
// (still in the exchange). true when the read brought every record.
bool report_read(Context& ctx, const link::ReadResult& result, const link::FileJournal& journal);

} // namespace kalmo::cli
