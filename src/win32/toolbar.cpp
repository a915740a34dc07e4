// The toolbar: twelve buttons for the most used commands, small or large icons, labels,
// tooltips.
#include "toolbar.h"

#include <array>

#include "app_state.h"
#include "resource.h"
#include "core/app/shell.h"
#include "screen.h"

namespace kalmo::win32 {

namespace {
// The icons of the toolbar that exists, drawn for its window's scale; kept while it lives.
HBITMAP icons = nullptr;
} // namespace

HWND create_toolbar(HWND main) {
    App& a = app_state();
    const bool large = a.settings.large_icons != 0;
    std::array<TBBUTTON, app::kToolbarEntries> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const app::ToolbarButton& b = app::toolbar_buttons()[i];
        buttons[i].iBitmap = b.bitmap;
        buttons[i].idCommand = static_cast<int>(b.command);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = b.separator ? BTNS_SEP : BTNS_BUTTON;
        buttons[i].iString = b.separator ? -1 : b.bitmap;
    }
    int size = 0;
    HBITMAP strip = toolbar_strip(a.instance, large, window_dpi(main), size);
    HWND bar = CreateToolbarEx(
        main, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | CCS_TOP, IDC_TOOLBAR,
        app::kToolbarImages, nullptr, reinterpret_cast<UINT_PTR>(strip), buttons.data(),
        static_cast<int>(buttons.size()), 0, 0, size, size, sizeof(TBBUTTON));
    if (!bar) {
        if (strip) DeleteObject(strip);
        return nullptr;
    }
    if (icons) DeleteObject(icons);
    icons = strip;
    if (a.settings.text) {
        const std::string labels = app::toolbar_label_list();
        SendMessageA(bar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(labels.c_str()));
        SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    }
    a.tooltips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    return bar;
}

namespace {
void post_resize(HWND main) {
    RECT r;
    GetClientRect(main, &r);
    PostMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
}
} // namespace

void rebuild_toolbar(HWND main, unsigned command) {
    App& a = app_state();
    // A hidden toolbar stays hidden: the window then keeps agreeing with "Toolbar Sichtbar".
    const bool hidden = a.toolbar && !IsWindowVisible(a.toolbar);
    const bool existed = a.toolbar != nullptr;
    if (a.toolbar) DestroyWindow(a.toolbar);
    a.toolbar = nullptr;
    app::apply_toolbar_rebuild(a.settings, command);
    if (existed || a.settings.show_bar) {
        a.toolbar = create_toolbar(main);
        if (a.toolbar && (hidden || !a.settings.show_bar)) ShowWindow(a.toolbar, SW_HIDE);
    }
    post_resize(main);
}

void show_or_hide_toolbar(HWND main) {
    App& a = app_state();
    if (a.settings.show_bar && a.toolbar && IsWindowVisible(a.toolbar)) {
        a.settings.show_bar = 0;
        ShowWindow(a.toolbar, SW_HIDE);
    } else {
        a.settings.show_bar = 1;
        if (!a.toolbar) a.toolbar = create_toolbar(main);
        if (a.toolbar) ShowWindow(a.toolbar, SW_SHOW);
    }
    post_resize(main);
}

LRESULT toolbar_notify(NMHDR* header) {
    const char* text = app::tooltip_text(static_cast<unsigned>(header->idFrom));
    if (header->code == TTN_NEEDTEXTA) {
        auto* request = reinterpret_cast<TOOLTIPTEXTA*>(header);
        // The tooltip texts live as long as the program; the control only reads them.
        request->lpszText = const_cast<char*>(text);
    } else if (header->code == TTN_NEEDTEXTW) {
        // A control that asks in UTF-16 gets the text in its own buffer (80 characters).
        auto* request = reinterpret_cast<TOOLTIPTEXTW*>(header);
        MultiByteToWideChar(CP_ACP, 0, text, -1, request->szText,
                            sizeof request->szText / sizeof request->szText[0]);
        request->szText[sizeof request->szText / sizeof request->szText[0] - 1] = 0;
        request->lpszText = request->szText;
    }
    return 0;
}

} // namespace kalmo::win32
