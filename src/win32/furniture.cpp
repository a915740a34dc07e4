// Status bar, context help and the two pictures of the main window.
#include "furniture.h"

#include <commctrl.h>

#include "app_state.h"
#include "help.h"
#include "core/app/screen_scale.h"
#include "resource.h"
#include "core/app/shell.h"
#include "screen.h"
#include "toolbar.h"

namespace kalmo::win32 {

void create_status_bar(HWND main) {
    App& a = app_state();
    a.status = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM, "Ready",
                                   main, IDC_STATUSBAR);
    // Pair 0 (0, 0) gives each command its own string; pair 1 names the main menu, whose
    // popups then show string 100 and up.
    for (UINT& v : a.menu_help)
        v = 0;
    a.menu_help[2] = static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetMenu(main)));
    a.menu_help[3] = 100;
}

void status_bar_help(UINT msg, WPARAM wp, LPARAM lp) {
    App& a = app_state();
    if (!a.status) return;
    const UINT flags = HIWORD(wp);
    const HMENU menu = reinterpret_cast<HMENU>(lp);
    if ((flags & MF_POPUP) && !(flags & MF_SYSMENU)) {
        for (int pair = 1; pair <= 4; ++pair) {
            if (a.menu_help[2 * pair] != 0 &&
                a.menu_help[2 * pair] == static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu))) {
                MenuHelp(msg, wp, lp, menu, a.instance, a.status, &a.menu_help[2 * pair]);
                return;
            }
        }
    }
    MenuHelp(msg, wp, lp, nullptr, a.instance, a.status, a.menu_help);
}

bool help_for_command(HWND main, unsigned command) {
    App& a = app_state();
    const auto context = app::help_context(command);
    if (!context) {
        message_box(app::kNoHelpText, app::kNoHelpCaption, MB_OK);
        return false;
    }
    a.help_mode = false;
    open_help(main, app::HelpKind::Context, *context);
    return true;
}

bool key_down(HWND main, UINT key) {
    App& a = app_state();
    if (key == VK_F1) {
        if (GetKeyState(VK_SHIFT) < 0) {
            a.help_mode = true;
            return true;
        }
        open_help(main, app::HelpKind::Index);
        return false;
    }
    if (key == VK_ESCAPE && a.help_mode) a.help_mode = false;
    return false;
}

void menu_idle(HWND main, WPARAM source) {
    App& a = app_state();
    if (source == MSGF_MENU && GetKeyState(VK_F1) < 0) {
        a.help_mode = true;
        PostMessageA(main, WM_KEYDOWN, VK_RETURN, 0);
    }
}

void paint_pictures(HWND main) {
    App& a = app_state();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(main, &ps);
    RECT r;
    GetClientRect(main, &r);
    // The places are laid out for 96 dpi: on a larger scale the pictures take the same share
    // of the window.
    const int dpi = window_dpi(main);
    const app::PicturePlaces p = app::picture_places(MulDiv(r.right, app::kBaseDpi, dpi),
                                                     MulDiv(r.bottom, app::kBaseDpi, dpi));
    auto at = [dpi](int v) { return app::scale_to_dpi(v, dpi); };
    draw_scaled_bitmap(dc, a.instance, IDB_BANNER, at(p.banner_x), at(p.banner_y), dpi);
    draw_scaled_bitmap(dc, a.instance, IDB_PICTURE, at(p.picture_x), at(p.picture_y), dpi);
    EndPaint(main, &ps);
}

namespace {
// The status bar's font for a scale other than the one it started with; owned here, since a
// control never deletes the font it is given.
HFONT scaled_status_font = nullptr;
} // namespace

void dpi_changed(HWND main, int dpi, const RECT& suggested) {
    App& a = app_state();
    announce_dpi(main, dpi);
    SetWindowPos(main, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (a.status) {
        if (HFONT font = status_font(dpi)) {
            SendMessageA(a.status, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (scaled_status_font) DeleteObject(scaled_status_font);
            scaled_status_font = font;
            // The bar takes its height from the font when it is sized.
            SendMessageA(a.status, WM_SIZE, 0, 0);
        }
    }
    // A rebuild with no command keeps the settings and draws the icons anew at the window's
    // scale.
    if (a.toolbar) rebuild_toolbar(main, 0);
    InvalidateRect(main, nullptr, TRUE);
}

} // namespace kalmo::win32
