#include "dialog.h"

#include "help.h"

namespace kalmo::win32 {

namespace {

// The dialog templates live in the program itself.
HINSTANCE program_instance() {
    return GetModuleHandleA(nullptr);
}

} // namespace

Dialog::~Dialog() {
    destroy();
}

INT_PTR Dialog::run_modal(HWND owner, const char* name) {
    return DialogBoxParamA(program_instance(), name, owner, procedure,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::create_modeless(HWND owner, const char* name) {
    return CreateDialogParamA(program_instance(), name, owner, procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::string Dialog::text(int id) const {
    HWND control = item(id);
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

void Dialog::set_lines(int list_id, const std::vector<std::string>& lines) const {
    HWND list = item(list_id);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

INT_PTR CALLBACK Dialog::procedure(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lp);
        SetWindowLongPtrA(dlg, DWLP_USER, lp);
        self->hwnd_ = dlg;
        self->on_init();
        return TRUE; // focus to the default control
    }
    // Controls send notifications while the dialog is being made, before it knows its object.
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (!self) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        // A box or dialog over this one holds it still, yet a button can still be clicked by
        // a message (a tool's, or one posted before the box came): its action would start a
        // second time underneath.
        if (lp != 0 && HIWORD(wp) == BN_CLICKED && !IsWindowEnabled(dlg)) return TRUE;
        return self->on_command(LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_HELP:
        if (!self->help_) return FALSE;
        open_help(dlg, self->help_->kind, self->help_->topic);
        return TRUE;
    case WM_CLOSE:
        return self->on_close() ? TRUE : FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    default:
        return self->on_message(msg, wp, lp) ? TRUE : FALSE;
    }
}

} // namespace kalmo::win32
