#pragma once
// The main window's furniture: toolbar, status bar, context help, pictures and the two small
// dialogs.
#include <windows.h>

#include <commctrl.h>

namespace kalmo::win32 {

// Toolbar.
HWND create_toolbar(HWND main);
void rebuild_toolbar(HWND main, unsigned command);
void show_or_hide_toolbar(HWND main);
LRESULT toolbar_notify(NMHDR* header);

// Status bar and context help.
void create_status_bar(HWND main);
void status_bar_help(UINT msg, WPARAM wp, LPARAM lp);
// Help mode: opens the command's help topic and ends help mode; false when the command has none.
bool help_for_command(HWND main, unsigned command);
// true when the key goes on to the default handling.
bool key_down(HWND main, UINT key);
void menu_idle(HWND main, WPARAM source);
void paint_pictures(HWND main);

// Dialogs.
void run_port_dialog(HWND owner);
void run_about_box(HWND owner);

} // namespace kalmo::win32
