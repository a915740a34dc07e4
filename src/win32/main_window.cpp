#include "main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

#include "archive_dialog.h"
#include "archive_dialogs.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/data/charge_file.h"
#include "core/eval/call_list.h"
#include "core/link/transfers.h"
#include "core/phonebook/editor.h"
#include "dialogs.h"
#include "file_dialog.h"
#include "furniture.h"
#include "help.h"
#include "phonebook_dialogs.h"
#include "privacy_dialog.h"
#include "resource.h"
#include "toolbar.h"

namespace kalmo::win32 {

bool MainWindow::register_class(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = 0;
    wc.lpfnWndProc = procedure;
    wc.cbWndExtra = 2;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KALMO));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515)); // IDC_CROSS
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = "KalmoMenu";
    wc.lpszClassName = kMainClass;
    return RegisterClassA(&wc) != 0;
}

bool MainWindow::create(HINSTANCE instance) {
    furniture_.instance = instance;
    return CreateWindowExA(0, kMainClass, app::string_text(app::str::MainTitle),
                           WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, nullptr, nullptr, instance, this) != nullptr;
}

void MainWindow::fill_dialog_records() {
    Program& a = program_;
    PRINTDLGA& p = a.printer;
    p = PRINTDLGA{};
    p.lStructSize = sizeof(PRINTDLGA);
    p.hwndOwner = hwnd_;
    p.Flags = PD_RETURNDC | PD_COLLATE;
    p.nFromPage = 1;
    p.nToPage = 65535;
    p.nMinPage = 1;
    p.nMaxPage = 65535;
    p.nCopies = 1;
}

void MainWindow::show_status(const std::string& text) {
    if (furniture_.status)
        SendMessageA(furniture_.status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Runs the charge file dialog over the charge file name; the chosen name, nothing when the
// dialog was cancelled.
std::optional<std::string> MainWindow::charge_file_dialog(bool save) {
    Program& a = program_;
    FileDialogRequest request;
    request.owner = hwnd_;
    request.filter = app::str::ChargeFileFilter;
    request.default_ext = L"GDS";
    request.current = a.settings.charge_file;
    request.save = save;
    return run_file_dialog(request);
}

// Loads the chosen file; the name becomes the current one only when records came in.
bool MainWindow::open_charge_file() {
    Program& a = program_;
    const auto chosen = charge_file_dialog(false);
    if (!chosen) return false;
    app::open_chosen_charge_file(*a.charges, a.settings, *chosen, *a.fs, a.ui);
    return true;
}

void MainWindow::printer_setup() {
    Program& a = program_;
    const DWORD flags = a.printer.Flags;
    a.printer.hwndOwner = hwnd_;
    a.printer.Flags |= PD_PRINTSETUP;
    // The context the dialog returns stays held: the next print goes straight to the printer
    // chosen here. One held from an earlier setup gives way to it.
    HDC held = a.printer.hDC;
    if (PrintDlgA(&a.printer) && held && a.printer.hDC != held) DeleteDC(held);
    a.printer.Flags = flags;
}

namespace {

// While a transfer runs on its thread the window is out of the user's reach, but messages
// posted to it still come: nothing that touches the stores, the port or the window's life may
// start meanwhile.
bool busy() {
    return link::transfer_running();
}

} // namespace

// What the list dialogs work on, lent for as long as one is open.
ListContext MainWindow::list_context() {
    static const phonebook::NoPhonebook none;
    Program& a = program_;
    const phonebook::NumberLookup& lookup =
        a.phonebook ? static_cast<const phonebook::NumberLookup&>(*a.phonebook) : none;
    return ListContext{*a.charges,
                       *a.calls,
                       lookup,
                       *a.clock,
                       a.ui,
                       a.settings.currency,
                       eval::NumberPrivacy(a.settings.masked_digits, &a.confidential),
                       Printer{a.printer, a.ui},
                       *a.fs,
                       a.phonebook ? phonebook::project_name_fields(*a.phonebook)
                                   : eval::ProjectNames{},
                       [&a](HWND owner, const std::string& number_text, std::uint8_t index) {
                           write_speed_dial(owner, a, number_text, index);
                       }};
}

// With no calls it offers to read them, also after a read that found the exchange's call list
// empty: the user may read again.
void MainWindow::open_call_list() {
    Program& a = program_;
    if (a.calls->count() == 0) {
        if (a.ui.show(eval::no_call_data_question()) == app::Answer::Yes)
            open_list(run_transfer(hwnd_, a, IDM_READ_CALLS));
        return;
    }
    run_call_list(hwnd_, list_context());
}

// Shows what a transfer left to open, once its port is closed and its dialog gone.
void MainWindow::open_list(NextList list) {
    switch (list) {
    case NextList::ChargeEvaluation:
        run_charge_evaluation(hwnd_, list_context());
        break;
    case NextList::CallList:
        open_call_list();
        break;
    case NextList::None:
        break;
    }
}

void MainWindow::run_command(unsigned id) {
    Program& a = program_;
    const HWND hwnd = hwnd_;
    // The stores exist from just after the window shows until the loop ends.
    if (busy() || !a.charges || !a.calls) return;
    const app::Action action = app::command_action(id);
    switch (action) {
    case app::Action::OpenChargeFile:
        if (!open_charge_file()) return;
        break;
    case app::Action::SaveChargeFile:
        data::save_charge_file(*a.charges, a.settings.charge_file, *a.fs, a.ui);
        break;
    case app::Action::SaveChargeFileAs: {
        const auto chosen = charge_file_dialog(true);
        if (!chosen) return;
        a.settings.charge_file = *chosen;
        data::save_charge_file(*a.charges, a.settings.charge_file, *a.fs, a.ui);
        break;
    }
    case app::Action::Exit:
        DestroyWindow(hwnd);
        return;
    case app::Action::About:
        run_about_box(hwnd);
        break;
    case app::Action::PortDialog:
        run_port_dialog(hwnd, a.settings);
        break;
    case app::Action::CurrencyDialog:
        run_currency_dialog(hwnd, a.settings);
        break;
    case app::Action::PrivacyDialog:
        run_privacy_dialog(hwnd, a);
        break;
    case app::Action::PrinterSetup:
        printer_setup();
        break;
    case app::Action::HelpOnHelp:
        open_help(hwnd, app::HelpKind::HelpOnHelp);
        break;
    case app::Action::HelpIndex:
        open_help(hwnd, app::HelpKind::Index);
        break;
    case app::Action::SmallIcons:
    case app::Action::LargeIcons:
    case app::Action::ToggleLabels:
        rebuild_toolbar(furniture_, a.settings, id);
        break;
    case app::Action::ToggleToolbar:
        show_or_hide_toolbar(furniture_, a.settings);
        break;
    case app::Action::ReadCharges:
    case app::Action::DeleteCharges:
    case app::Action::ReadCalls:
    case app::Action::DeleteCalls:
        open_list(run_transfer(hwnd, a, id));
        break;
    case app::Action::Collect:
        open_list(run_collect(hwnd, a));
        break;
    case app::Action::ArchiveDialog:
        run_archive_dialog(hwnd, a.settings, a.path);
        break;
    case app::Action::NewPhonebook:
    case app::Action::OpenPhonebook:
    case app::Action::EditPhonebook:
    case app::Action::EditProjectNames:
        run_phonebook_command(hwnd, a, action);
        break;
    case app::Action::ChargeEvaluation:
    case app::Action::ProjectEvaluation:
        // An empty store asks for a charge data file first; a cancelled dialog ends here.
        if (a.charges->count() == 0) {
            if (!open_charge_file()) return;
            title_dirty_ = true;
        }
        if (action == app::Action::ChargeEvaluation)
            run_charge_evaluation(hwnd, list_context());
        else
            run_project_evaluation(hwnd, list_context(),
                                   a.phonebook ? phonebook::project_name_fields(*a.phonebook)
                                               : eval::ProjectNames{});
        break;
    case app::Action::CallList:
        open_call_list();
        break;
    case app::Action::ArchiveReport:
        run_archive_report(hwnd, list_context(), *a.fs,
                           a.phonebook ? phonebook::project_name_fields(*a.phonebook)
                                       : eval::ProjectNames{},
                           app::archive_folder_beside(a.settings, a.path));
        break;
    default:
        // Any other command does nothing.
        break;
    }
    if (app::action_dirties_title(action)) title_dirty_ = true;
    if (close_pending_ && !busy()) {
        close_pending_ = false;
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    }
}

void MainWindow::init_menu(HMENU menu) {
    Program& a = program_;
    const app::MenuMarks m =
        app::menu_marks(a.settings, a.charges ? a.charges->count() : std::uint16_t{0});
    auto check = [menu](unsigned id, bool on) { CheckMenuItem(menu, id, on ? MF_CHECKED : 0); };
    check(IDM_SHOW_TOOLBAR, m.show_toolbar);
    check(IDM_LARGE_ICONS, m.large_icons);
    check(IDM_SMALL_ICONS, m.small_icons);
    check(IDM_ICON_LABELS, m.labels);
    for (unsigned id : m.enable)
        EnableMenuItem(menu, id, MF_ENABLED);
}

void MainWindow::update_title() {
    if (!title_dirty_) return;
    const app::Settings& s = program_.settings;
    SetWindowTextA(hwnd_, app::window_title(s.charge_file, s.phonebook_file).c_str());
    title_dirty_ = false;
}

void MainWindow::resize() {
    const HWND toolbar = furniture_.toolbar;
    const HWND status = furniture_.status;
    if (toolbar && IsWindowVisible(toolbar)) {
        SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
        InvalidateRect(toolbar, nullptr, TRUE);
    }
    if (status && IsWindowVisible(status)) {
        RECT client, bar;
        GetClientRect(hwnd_, &client);
        GetWindowRect(status, &bar);
        const int h = bar.bottom - bar.top;
        MoveWindow(status, 0, client.bottom - h, client.right, h, TRUE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK MainWindow::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
        self->furniture_.main = hwnd;
    }
    // A few messages come before WM_NCCREATE, when the window knows no object yet.
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->furniture_.main = nullptr;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    return self->on_message(msg, wp, lp);
}

LRESULT MainWindow::on_message(UINT msg, WPARAM wp, LPARAM lp) {
    const HWND hwnd = hwnd_;
    switch (msg) {
    case WM_CREATE:
        if (program_.settings.show_bar)
            furniture_.toolbar = create_toolbar(furniture_, program_.settings);
        create_status_bar(furniture_);
        return 0;
    case WM_COMMAND: {
        const unsigned id = static_cast<unsigned>(wp);
        if (furniture_.help_mode) {
            // Help mode takes the command; one without a topic goes on to the default handling.
            if (!help_for_command(furniture_, id)) return DefWindowProcA(hwnd, msg, wp, lp);
            return 0;
        }
        run_command(id);
        return 0;
    }
    case WM_INITMENU:
        init_menu(reinterpret_cast<HMENU>(wp));
        return 0;
    case WM_MENUSELECT:
        status_bar_help(furniture_, msg, wp, lp);
        update_title();
        return 0;
    case WM_SIZE:
        resize();
        return 0;
    case WM_DPICHANGED:
        dpi_changed(furniture_, program_.settings, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_NOTIFY:
        return toolbar_notify(reinterpret_cast<NMHDR*>(lp));
    case WM_KEYDOWN:
        if (key_down(furniture_, static_cast<UINT>(wp))) return DefWindowProcA(hwnd, msg, wp, lp);
        return 0;
    case WM_ENTERIDLE:
        menu_idle(furniture_, wp);
        return 0;
    case WM_PAINT:
        paint_pictures(furniture_);
        return 0;
    case WM_CLOSE:
        // Not while a transfer runs: the close is kept and done once the transfer has ended,
        // so a click on the close box is never lost.
        if (busy()) {
            close_pending_ = true;
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_DESTROY:
        close_help(hwnd);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

} // namespace kalmo::win32
