#include "transfers_gui.h"

#include <memory>
#include <optional>

#include "app.h"
#include "core/app/ids.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/app/settings.h"
#include "core/link/journal.h"
#include "core/link/protocol.h"
#include "core/link/transfers.h"
#include "list_dialogs.h"
#include "platform/serial.h"

namespace kalmo::win32 {

namespace {

class Win32TransferUi : public link::TransferUi {
public:
    explicit Win32TransferUi(HWND owner) : owner_(owner) {}
    ~Win32TransferUi() override { close_progress_dialog(); }

    app::Answer show(const app::Message& message) override { return boxes_.show(message); }

    bool open_progress_dialog() override {
        cancel_ = false;
        dialog_ = CreateDialogParamA(app_state().instance, "V24AbortDlgBox", owner_, dialog_proc,
                                     reinterpret_cast<LPARAM>(this));
        // The core says "Not enough memory." when this fails.
        if (!dialog_) return false;
        // Whatever the dialog's template says is replaced by the first text, even an empty one.
        shown_[0].reset();
        shown_[1].reset();
        ShowWindow(dialog_, SW_SHOWNORMAL);
        EnableWindow(dialog_, TRUE);
        set_progress_line(0, link::progress::Initialising);
        return true;
    }

    void close_progress_dialog() override {
        if (dialog_) DestroyWindow(dialog_);
        dialog_ = nullptr;
    }

    void set_progress_line(int line, const std::string& text) override {
        // The same text again (the first line is set before every block) would still cost a
        // repaint.
        if (!dialog_ || (line != 0 && line != 1) || shown_[line] == text) return;
        shown_[line] = text;
        SetDlgItemTextA(dialog_, IDC_PROGRESS_LINE0 + line, text.c_str());
    }

    bool pump_messages() override {
        if (!dialog_) return true;
        // The link calls this after every byte it reads; looking into the message queue at most
        // every 10 ms keeps the windows and the cancel button just as responsive and spares the
        // system call per byte.
        const ULONGLONG now = GetTickCount64();
        if (now - last_pump_ < 10) return !cancel_;
        last_pump_ = now;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Not ours to take: the main loop must still see it.
                PostQuitMessage(static_cast<int>(msg.wParam));
                cancel_ = true;
                break;
            }
            if (!dialog_ || !IsDialogMessageA(dialog_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        return !cancel_;
    }

    bool cancelled() const override { return cancel_; }

private:
    static INT_PTR CALLBACK dialog_proc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
        if (msg == WM_INITDIALOG) {
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            return TRUE;
        }
        // The button, Enter, Esc and the Close box all cancel.
        if (msg == WM_COMMAND) {
            if (auto* self = reinterpret_cast<Win32TransferUi*>(GetWindowLongPtrA(dlg, DWLP_USER)))
                self->cancel_ = true;
            return TRUE;
        }
        return FALSE;
    }

    HWND owner_;
    HWND dialog_ = nullptr;
    std::optional<std::string> shown_[2];
    bool cancel_ = false;
    ULONGLONG last_pump_ = 0;
    Win32MessageUi boxes_;
};

} // namespace

bool transfer_busy() {
    return link::transfer_running();
}

void run_transfer(HWND main, unsigned command) {
    App& a = app_state();
    if (transfer_busy()) return;
    enum class Opens { Nothing, ChargeEvaluation, CallList } opens = Opens::Nothing;
    {
        auto port = platform::make_serial_port();
        Win32TransferUi ui(main);
        link::Link line(*port, ui, *a.clock);
        const std::string port_name = platform::serial_device(a.settings.port_name());
        const std::string journal_folder = app::journal_folder_beside(a.program);
        // A delete after a read that left records in the exchange (or could not keep them)
        // warns first: those records would be gone for good.
        auto question = [](bool unread) {
            return unread ? link::DeleteQuestion::WarnUnreadThenAsk : link::DeleteQuestion::Ask;
        };
        switch (command) {
        case IDM_READ_CHARGES: {
            link::FileJournal journal(*a.fs, *a.clock, journal_folder, link::JournalKind::Charges);
            const auto result = link::read_charges(line, *a.charges, port_name, &journal);
            if (result.connected()) a.charges_unread = result.left_records();
            if (result) opens = Opens::ChargeEvaluation;
            break;
        }
        case IDM_DELETE_CHARGES:
            if (link::delete_charges(line, *a.charges, port_name, question(a.charges_unread)) ==
                link::Outcome::Done)
                a.charges_unread = false;
            break;
        case IDM_READ_CALLS: {
            link::FileJournal journal(*a.fs, *a.clock, journal_folder, link::JournalKind::Calls);
            const auto result = link::read_calls(line, *a.calls, port_name, &journal);
            if (result.connected()) a.calls_unread = result.left_records();
            if (result) opens = Opens::CallList;
            break;
        }
        case IDM_DELETE_CALLS:
            if (link::delete_calls(line, *a.calls, port_name, question(a.calls_unread)) ==
                link::Outcome::Done)
                a.calls_unread = false;
            break;
        default:
            break;
        }
    }
    // The port is closed and the progress dialog gone before the list opens.
    if (opens == Opens::ChargeEvaluation) run_charge_evaluation(main);
    if (opens == Opens::CallList) run_call_list(main);
}

void write_speed_dial(HWND owner, const std::string& number_text, std::uint8_t index) {
    App& a = app_state();
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
