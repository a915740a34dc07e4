#pragma once
// Exchange transfers from the console: the progress dialog's lines go to stderr as they change,
// Ctrl+C is the dialog's "Abbrechen".
#include <memory>
#include <string>

#include "cli/cli.h"
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
    bool pump_messages() override;
    bool cancelled() const override;

    // true when a message with an error or warning icon was shown since construction.
    bool trouble() const;

private:
    Context& ctx_;
    bool open_ = false;
    bool handler_installed_ = false;
    void (*previous_)(int) = nullptr;
    std::string lines_[2];
    std::size_t messages_before_ = ctx_.ui->shown.size();
};

// Port, progress output and link of one transfer command. `port_name` is empty when --port is
// missing.
struct TransferSession {
    explicit TransferSession(Context& ctx);
    std::unique_ptr<link::SerialPort> port;
    ConsoleTransferUi ui;
    link::Link link;
    std::string port_name;
};

// Reports records the exchange delivered beyond the store's capacity; true when there were any.
bool report_dropped(Context& ctx, std::size_t dropped);

// true when message `text` was shown after the first `before` messages (a transfer's
// confirmation).
bool message_shown(const Context& ctx, std::size_t before, const std::string& text);

} // namespace kalmo::cli
