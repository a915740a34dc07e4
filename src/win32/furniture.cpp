// Status bar, context help and the two pictures of the main window.
#include "furniture.h"

#include <commctrl.h>

#include "core/app/screen_scale.h"
#include "core/app/shell.h"
#include "core/app/strings.h"
#include "help.h"
#include "message_ui.h"
#include "resource.h"
#include "screen.h"

namespace kalmo::win32 {

void create_status_bar(Furniture& f) {
    const HWND main = f.main;
    f.status = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM,
                                   app::string_text(app::str::StatusReady), main, IDC_STATUSBAR);
    // Pair 0 (0, 0) gives each command its own string; pair 1 names the main menu, whose
    // popups then show string 100 and up.
    for (UINT& v : f.menu_help)
        v = 0;
    f.menu_help[2] = static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetMenu(main)));
    f.menu_help[3] = 100;
}

void status_bar_help(Furniture& f, UINT msg, WPARAM wp, LPARAM lp) {
    if (!f.status) return;
    const UINT flags = HIWORD(wp);
    const HMENU menu = reinterpret_cast<HMENU>(lp);
    if ((flags & MF_POPUP) && !(flags & MF_SYSMENU)) {
        for (int pair = 1; pair <= 4; ++pair) {
            if (f.menu_help[2 * pair] != 0 &&
                f.menu_help[2 * pair] == static_cast<UINT>(reinterpret_cast<UINT_PTR>(menu))) {
                MenuHelp(msg, wp, lp, menu, f.instance, f.status, &f.menu_help[2 * pair]);
                return;
            }
        }
    }
    MenuHelp(msg, wp, lp, nullptr, f.instance, f.status, f.menu_help);
}

bool help_for_command(Furniture& f, unsigned command) {
    const auto context = app::help_context(command);
    if (!context) {
        message_box(app::string_text(app::str::NoHelpText),
                    app::string_text(app::str::NoHelpCaption), MB_OK);
        return false;
    }
    f.help_mode = false;
    open_help(f.main, app::HelpKind::Context, *context);
    return true;
}

bool key_down(Furniture& f, UINT key) {
    if (key == VK_F1) {
        if (GetKeyState(VK_SHIFT) < 0) {
            f.help_mode = true;
            return true;
        }
        open_help(f.main, app::HelpKind::Index);
        return false;
    }
    if (key == VK_ESCAPE && f.help_mode) f.help_mode = false;
    return false;
}

void menu_idle(Furniture& f, WPARAM source) {
    if (source == MSGF_MENU && GetKeyState(VK_F1) < 0) {
        f.help_mode = true;
        PostMessageA(f.main, WM_KEYDOWN, VK_RETURN, 0);
    }
}

void paint_pictures(const Furniture& f) {
    const HWND main = f.main;
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
    draw_scaled_bitmap(dc, f.instance, IDB_BANNER, at(p.banner_x), at(p.banner_y), dpi);
    draw_scaled_bitmap(dc, f.instance, IDB_PICTURE, at(p.picture_x), at(p.picture_y), dpi);
    EndPaint(main, &ps);
}

} // namespace kalmo::win32
