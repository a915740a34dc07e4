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

} // namespace kalmo::win32
