#pragma once
// The main window's status bar, its context help and its two pictures.
#include <windows.h>

namespace kalmo::win32 {

// What the main window's furniture keeps: its children and the state of its context help.
struct Furniture {
    HWND main = nullptr;
    HINSTANCE instance = nullptr;
    HWND toolbar = nullptr;
    HWND status = nullptr;
    HWND tooltips = nullptr;
    // Shift+F1 or F1 in a menu: the next command opens its help instead of running.
    bool help_mode = false;
    // Menu help table for MenuHelp: five pairs, the main menu in pair 1.
    UINT menu_help[10] = {};
};

void create_status_bar(Furniture& main);
void status_bar_help(Furniture& main, UINT msg, WPARAM wp, LPARAM lp);
// Help mode: opens the command's help topic and ends help mode; false when the command has none.
bool help_for_command(Furniture& main, unsigned command);
// true when the key goes on to the default handling.
bool key_down(Furniture& main, UINT key);
void menu_idle(Furniture& main, WPARAM source);
void paint_pictures(const Furniture& main);

} // namespace kalmo::win32
