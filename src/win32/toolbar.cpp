// The toolbar: eleven buttons for the most used commands, small or large icons, labels,
// tooltips.
#include "toolbar.h"

#include <array>

#include "core/app/shell.h"
#include "resource.h"

namespace kalmo::win32 {

HWND create_toolbar(Furniture& f, const app::Settings& settings) {
    const bool large = settings.large_icons != 0;
    const int size = large ? 24 : 16;
    std::array<TBBUTTON, 15> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const app::ToolbarButton& b = app::toolbar_buttons()[i];
        buttons[i].iBitmap = b.bitmap;
        buttons[i].idCommand = static_cast<int>(b.command);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = b.separator ? BTNS_SEP : BTNS_BUTTON;
        buttons[i].iString = b.separator ? -1 : b.bitmap;
    }
    HWND bar = CreateToolbarEx(
        f.main, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | CCS_TOP, IDC_TOOLBAR,
        app::kToolbarImages, f.instance, large ? IDB_TOOLBAR_LARGE : IDB_TOOLBAR_SMALL,
        buttons.data(), static_cast<int>(buttons.size()), 0, 0, size, size, sizeof(TBBUTTON));
    if (!bar) return nullptr;
    if (settings.text) {
        const std::string labels = app::toolbar_label_list();
        SendMessageA(bar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(labels.c_str()));
        SendMessageA(bar, TB_AUTOSIZE, 0, 0);
    }
    f.tooltips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    return bar;
}

namespace {
void post_resize(HWND main) {
    RECT r;
    GetClientRect(main, &r);
    PostMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
}
} // namespace

void rebuild_toolbar(Furniture& f, app::Settings& settings, unsigned command) {
    // A hidden toolbar stays hidden: the window then keeps agreeing with "Toolbar Sichtbar".
    const bool hidden = f.toolbar && !IsWindowVisible(f.toolbar);
    const bool existed = f.toolbar != nullptr;
    if (f.toolbar) DestroyWindow(f.toolbar);
    f.toolbar = nullptr;
    app::apply_toolbar_rebuild(settings, command);
    if (existed || settings.show_bar) {
        f.toolbar = create_toolbar(f, settings);
        if (f.toolbar && (hidden || !settings.show_bar)) ShowWindow(f.toolbar, SW_HIDE);
    }
    post_resize(f.main);
}

void show_or_hide_toolbar(Furniture& f, app::Settings& settings) {
    if (settings.show_bar && f.toolbar && IsWindowVisible(f.toolbar)) {
        settings.show_bar = 0;
        ShowWindow(f.toolbar, SW_HIDE);
    } else {
        settings.show_bar = 1;
        if (!f.toolbar) f.toolbar = create_toolbar(f, settings);
        if (f.toolbar) ShowWindow(f.toolbar, SW_SHOW);
    }
    post_resize(f.main);
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
