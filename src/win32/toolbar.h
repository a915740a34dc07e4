#pragma once
// The main window's toolbar.
#include <windows.h>

#include <commctrl.h>

namespace kalmo::win32 {

HWND create_toolbar(HWND main);
void rebuild_toolbar(HWND main, unsigned command);
void show_or_hide_toolbar(HWND main);
LRESULT toolbar_notify(NMHDR* header);

} // namespace kalmo::win32
