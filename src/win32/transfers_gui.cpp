#include "transfers_gui.h"

#include <memory>
#include <optional>

#include "core/app/ids.h"
#include "core/app/shell.h"
#include "core/link/journal.h"
#include "core/link/protocol.h"
#include "core/link/transfers.h"
#include "dialog.h"
#include "platform/serial.h"
#include "wait_pump.h"

namespace kalmo::win32 {

namespace {

// The button, Enter, Esc and the Close box all cancel.
class ProgressDialog : public Dialog {
public:
    bool cancelled = false;

private:
    bool on_command(int, int) override {
        cancelled = true;
        return true;
    }
};

class Win32TransferUi : public link::TransferUi {
public:
    explicit Win32TransferUi(HWND owner) : owner_(owner) {}

    app::Answer show(const app::Message& message) override { return boxes_.show(message); }

    bool open_progress_dialog() override {
        dialog_.cancelled = false;
        // The core says "Not enough memory." when this fails.
        if (!dialog_.create_modeless(owner_, "V24AbortDlgBox")) return false;
        // Whatever the dialog's template says is replaced by the first text, even an empty one.
        shown_[0].reset();
        shown_[1].reset();
        ShowWindow(dialog_.hwnd(), SW_SHOWNORMAL);
        EnableWindow(dialog_.hwnd(), TRUE);
        set_progress_line(0, link::progress::Initialising);
        return true;
    }

    void close_progress_dialog() override { dialog_.destroy(); }

    void set_progress_line(int line, const std::string& text) override {
        // The same text again (the first line is set before every block) would still cost a
        // repaint.
        if (!dialog_.hwnd() || (line != 0 && line != 1) || shown_[line] == text) return;
        shown_[line] = text;
        SetDlgItemTextA(dialog_.hwnd(), IDC_PROGRESS_LINE0 + line, text.c_str());
    }

    bool pump_messages() override {
        if (!dialog_.hwnd()) return true;
        if (!pump_.pump(dialog_)) dialog_.cancelled = true;
        return !dialog_.cancelled;
    }

    bool cancelled() const override { return dialog_.cancelled; }

private:
    HWND owner_;
    ProgressDialog dialog_;
    std::optional<std::string> shown_[2];
    // The link calls the pump after every byte it reads; looking into the message queue at
    // most every 10 ms keeps the windows and the cancel button just as responsive and spares
    // the system call per byte.
    WaitPump pump_{10};
    Win32MessageUi boxes_;
};

// A delete after a read that left records in the exchange (or could not keep them) warns
// first: those records would be gone for good.
link::DeleteQuestion delete_question(bool unread) {
    return unread ? link::DeleteQuestion::WarnUnreadThenAsk : link::DeleteQuestion::Ask;
}

// A read journals what comes in; a connected read tells whether it left records behind.
template <typename Store, typename Read>
bool read_into(link::Link& line, Store& store, Read read, link::JournalKind kind, const App& a,
               const std::string& port_name, bool& unread) {
    link::FileJournal journal(*a.fs, *a.clock, app::journal_folder_beside(a.program), kind);
    const auto result = read(line, store, port_name, &journal);
    if (result.connected()) unread = result.left_records();
    return static_cast<bool>(result);
}

} // namespace

bool transfer_busy() {
    return link::transfer_running();
}

NextList run_transfer(HWND main, App& a, unsigned command) {
    if (transfer_busy()) return NextList::None;
    auto port = platform::make_serial_port();
    Win32TransferUi ui(main);
    link::Link line(*port, ui, *a.clock);
    const std::string port_name = platform::serial_device(a.settings.port_name());
    switch (command) {
    case IDM_READ_CHARGES:
        return read_into(line, *a.charges, link::read_charges, link::JournalKind::Charges, a,
                         port_name, a.charges_unread)
                   ? NextList::ChargeEvaluation
                   : NextList::None;
    case IDM_READ_CALLS:
        return read_into(line, *a.calls, link::read_calls, link::JournalKind::Calls, a, port_name,
                         a.calls_unread)
                   ? NextList::CallList
                   : NextList::None;
    case IDM_DELETE_CHARGES:
        if (link::delete_charges(line, *a.charges, port_name, delete_question(a.charges_unread)) ==
            link::Outcome::Done)
            a.charges_unread = false;
        return NextList::None;
    case IDM_DELETE_CALLS:
        if (link::delete_calls(line, *a.calls, port_name, delete_question(a.calls_unread)) ==
            link::Outcome::Done)
            a.calls_unread = false;
        return NextList::None;
    default:
        return NextList::None;
    }
}

void write_speed_dial(HWND owner, const App& a, const std::string& number_text,
                      std::uint8_t index) {
    if (transfer_busy()) return;
    auto port = platform::make_serial_port();
    Win32TransferUi ui(owner);
    link::Link line(*port, ui, *a.clock);
    // The dialog and the call list below it stay out of reach while the write waits: a second
    // OK or the close box would end the dialog inside the transfer's wait and give the list
    // back, whose "Drucken" would then print inside it. (The list is disabled by the modal
    // dialog already.)
    EnableWindow(owner, FALSE);
    link::write_speed_dial_target(line, number_text, index,
                                  platform::serial_device(a.settings.port_name()));
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
}

} // namespace kalmo::win32
