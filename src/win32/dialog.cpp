#include "dialog.h"

#include <algorithm>

#include "help.h"

namespace kalmo::win32 {

namespace {

// The dialog templates live in the program itself.
HINSTANCE program_instance() {
    return GetModuleHandleA(nullptr);
}

// The width in pixels of the widest line in the list's font, measured once for the whole list
// rather than line by line as the lines go in. In a font of fixed pitch the longest line is the
// widest, and only it is measured.
WPARAM widest_line(HWND list, const std::vector<std::string>& lines) {
    if (lines.empty()) return 0;
    HDC dc = GetDC(list);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    // The bit set means a font of variable pitch.
    const bool fixed_pitch = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    LONG widest = 0;
    auto measure = [&](const std::string& line) {
        SIZE size{};
        if (GetTextExtentPoint32A(dc, line.data(), static_cast<int>(line.size()), &size))
            widest = std::max(widest, size.cx);
    };
    if (fixed_pitch) {
        measure(*std::max_element(
            lines.begin(), lines.end(),
            [](const std::string& a, const std::string& b) { return a.size() < b.size(); }));
    } else {
        for (const std::string& line : lines)
            measure(line);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // A little room beside the last character, as the list box leaves at its left edge.
    return static_cast<WPARAM>(widest + 2 * GetSystemMetrics(SM_CXBORDER));
}

} // namespace

Dialog::~Dialog() {
    destroy();
}

INT_PTR Dialog::run_modal(HWND owner) {
    return DialogBoxParamA(program_instance(), template_, owner, procedure,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::create_modeless(HWND owner) {
    return CreateDialogParamA(program_instance(), template_, owner, procedure,
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
    // With the redraw on, a shown list box repaints and recomputes its scroll bar after every
    // line it is given (the phonebook editor refills its shown list on every sort and change).
    // So the lines go in with the redraw off and their storage reserved, and the list repaints
    // once at the end.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::size_t bytes = 0;
    for (const std::string& line : lines)
        bytes += line.size() + 1;
    SendMessageA(list, LB_INITSTORAGE, lines.size(), static_cast<LPARAM>(bytes));
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    // Set whatever the style: a list box drops WS_HSCROLL from it while its scroll bar is hidden.
    SendMessageA(list, LB_SETHORIZONTALEXTENT, widest_line(list, lines), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
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
        if (self->on_command(LOWORD(wp), HIWORD(wp))) return TRUE;
        if (LOWORD(wp) == IDOK) {
            if (self->on_ok()) self->end(IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            self->end(IDCANCEL);
            return TRUE;
        }
        return FALSE;
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
