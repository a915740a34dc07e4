#pragma once
// The main window's toolbar.
#include <windows.h>

#include <commctrl.h>

#include "core/app/settings.h"
#include "furniture.h"

namespace kalmo::win32 {

HWND create_toolbar(Furniture& main, const app::Settings& settings);
void rebuild_toolbar(Furniture& main, app::Settings& settings, unsigned command);
void show_or_hide_toolbar(Furniture& main, app::Settings& settings);
LRESULT toolbar_notify(NMHDR* header);
// WM_DPICHANGED: the window is now at `dpi`; takes the place the system suggests and redraws
// what does not scale by itself (toolbar icons, the status bar's font).
void dpi_changed(Furniture& main, app::Settings& settings, int dpi, const RECT& suggested);

} // namespace kalmo::win32
