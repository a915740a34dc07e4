// The port dialog "TtyDlgBox" and the About box "AboutBox".
#include "app.h"
#include "help.h"
#include "core/app/ids.h"
#include "core/app/shell.h"
#include "shell_parts.h"

namespace kalmo::win32 {

namespace {

INT_PTR CALLBACK port_dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    App& a = app_state();
    switch (msg) {
    case WM_INITDIALOG: {
        HWND list = GetDlgItem(dlg, IDC_PORT_LIST);
        for (const std::string& name : app::port_list())
            SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        const auto selected = app::port_selection(a.settings);
        SendMessageA(list, CB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : WPARAM(-1), 0);
        return TRUE;
    }
    case WM_HELP:
        open_help(dlg, app::HelpKind::ContextPopup, app::kPortDialogHelpContext);
        return TRUE;
    case WM_COMMAND:
        if (wp == IDOK) {
            const LRESULT sel = SendDlgItemMessageA(dlg, IDC_PORT_LIST, CB_GETCURSEL, 0, 0);
            app::choose_port(a.settings, static_cast<int>(sel));
            EndDialog(dlg, 1);
            return TRUE;
        }
        if (wp == IDCANCEL) {
            EndDialog(dlg, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK about_box_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const DWORD version = GetVersion();
#pragma GCC diagnostic pop
        SetDlgItemTextA(dlg, IDC_WINDOWS_VERSION,
                        app::windows_version_line(static_cast<std::uint32_t>(version)).c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dlg, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void run_port_dialog(HWND owner) {
    DialogBoxParamA(app_state().instance, "TtyDlgBox", owner, port_dialog_proc, 0);
}

void run_about_box(HWND owner) {
    DialogBoxParamA(app_state().instance, "AboutBox", owner, about_box_proc, 0);
}

} // namespace kalmo::win32
