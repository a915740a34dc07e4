#include "message_ui.h"

namespace kalmo::win32 {

namespace {

UINT box_style(const app::Message& message) {
    UINT style = message.buttons == app::Buttons::YesNo      ? MB_YESNO
                 : message.buttons == app::Buttons::OkCancel ? MB_OKCANCEL
                                                             : MB_OK;
    if (message.default_no) style |= MB_DEFBUTTON2;
    switch (message.icon) {
    case app::Icon::Error:
        return style | MB_ICONHAND;
    case app::Icon::Warning:
        return style | MB_ICONEXCLAMATION;
    case app::Icon::Information:
        return style | MB_ICONASTERISK;
    case app::Icon::Question:
        return style | MB_ICONQUESTION;
    case app::Icon::None:
        break;
    }
    return style;
}

// The enabled, visible window of this thread deepest in its chain of owners: a modal dialog
// disables its owner, so that is the one the user was working in (the main window when no
// dialog is open).
HWND deepest_enabled() {
    struct Search {
        HWND found;
        int depth;
    } search{nullptr, -1};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
            int depth = 0;
            for (HWND o = GetWindow(w, GW_OWNER); o; o = GetWindow(o, GW_OWNER))
                ++depth;
            if (depth > s.depth) {
                s.found = w;
                s.depth = depth;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

HWND box_owner() {
    // The active window of this thread is the dialog the user is working in. With the program
    // in the background there is none, and the chain of owners tells instead.
    if (HWND active = GetActiveWindow()) return active;
    return deepest_enabled();
}

int message_box(const char* text, const char* caption, UINT style) {
    return MessageBoxA(box_owner(), text, caption, style);
}

app::Answer Win32MessageUi::show(const app::Message& message, HWND owner) {
    const int r =
        MessageBoxA(owner, message.text.c_str(),
                    message.caption ? message.caption->c_str() : nullptr, box_style(message));
    switch (r) {
    case IDYES:
        return app::Answer::Yes;
    case IDNO:
        return app::Answer::No;
    case IDCANCEL:
        return app::Answer::Cancel;
    default:
        return app::Answer::Ok;
    }
}

} // namespace kalmo::win32
