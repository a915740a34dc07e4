// The toolbar: twelve buttons for the most used commands, small or large icons, labels,
// tooltips.
#include "toolbar.h"

#include <array>

#include "core/app/shell.h"
#include "resource.h"
#include "screen.h"

namespace kalmo::win32 {

namespace {
// The icons of the toolbar that exists, drawn for its window's scale; kept while it lives.
HBITMAP icons = nullptr;
} // namespace

HWND create_toolbar(Furniture& f, const app::Settings& settings) {
    const bool large = settings.large_icons != 0;
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
    HBITMAP strip = toolbar_strip(f.instance, large, window_dpi(f.main), size);
    HWND bar = CreateToolbarEx(
        f.main, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS | CCS_TOP, IDC_TOOLBAR,
        app::kToolbarImages, nullptr, reinterpret_cast<UINT_PTR>(strip), buttons.data(),
        static_cast<int>(buttons.size()), 0, 0, size, size, sizeof(TBBUTTON));
    if (!bar) {
        if (strip) DeleteObject(strip);
        return nullptr;
    }
    if (icons) DeleteObject(icons);
    icons = strip;
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

namespace {
// The status bar's font for a scale other than the one it started with; owned here, since a
// control never deletes the font it is given.
HFONT scaled_status_font = nullptr;
} // namespace

void dpi_changed(Furniture& f, app::Settings& settings, int dpi, const RECT& suggested) {
    const HWND main = f.main;
    announce_dpi(main, dpi);
    SetWindowPos(main, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (f.status) {
        if (HFONT font = status_font(dpi)) {
            SendMessageA(f.status, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (scaled_status_font) DeleteObject(scaled_status_font);
            scaled_status_font = font;
            // The bar takes its height from the font when it is sized.
            SendMessageA(f.status, WM_SIZE, 0, 0);
        }
    }
    // A rebuild with no command keeps the settings and draws the icons anew at the window's
    // scale.
    if (f.toolbar) rebuild_toolbar(f, settings, 0);
    InvalidateRect(main, nullptr, TRUE);
}

} // namespace kalmo::win32
