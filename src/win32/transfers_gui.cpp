#include "transfers_gui.h"

#include <memory>

#include "app.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/link/protocol.h"
#include "core/link/transfers.h"
#include "list_dialogs.h"
#include "platform/serial.h"
#include "resource.h"

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
        if (!dialog_) {
            MessageBoxA(nullptr, app::string_text(app::str::NotEnoughMemory), nullptr,
                        MB_OK | MB_ICONHAND);
            return false;
        }
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
        if (dialog_ && (line == 0 || line == 1))
            SetDlgItemTextA(dialog_, IDC_PROGRESS_LINE0 + line, text.c_str());
    }

    bool pump_messages() override {
        if (!dialog_) return true;
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
    bool cancel_ = false;
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
        switch (command) {
        case app::cmd::ReadCharges:
            if (link::read_charges(line, *a.charges, port_name)) opens = Opens::ChargeEvaluation;
            break;
        case app::cmd::DeleteCharges:
            link::delete_charges(line, *a.charges, port_name);
            break;
        case app::cmd::ReadCalls:
            if (link::read_calls(line, *a.calls, port_name)) opens = Opens::CallList;
            break;
        case app::cmd::DeleteCalls:
            link::delete_calls(line, *a.calls, port_name);
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
    link::write_speed_dial_target(line, number_text, index,
                                  platform::serial_device(a.settings.port_name()));
}

} // namespace kalmo::win32
