#pragma once
// The main window's status bar, its context help and its two pictures.
#include <windows.h>

namespace kalmo::win32 {

void create_status_bar(HWND main);
void status_bar_help(UINT msg, WPARAM wp, LPARAM lp);
// Help mode: opens the command's help topic and ends help mode; false when the command has none.
bool help_for_command(HWND main, unsigned command);
// true when the key goes on to the default handling.
bool key_down(HWND main, UINT key);
void menu_idle(HWND main, WPARAM source);
void paint_pictures(HWND main);
// WM_DPICHANGED: the window is now at `dpi`; takes the place the system suggests and redraws
// what does not scale by itself (toolbar icons, the status bar's font).
void dpi_changed(HWND main, int dpi, const RECT& suggested);

} // namespace kalmo::win32
