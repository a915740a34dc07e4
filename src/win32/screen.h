#pragma once
// Drawing the main window's icons, pictures and status bar for the scale of the screen it is
// on.
#include <windows.h>

namespace kalmo::win32 {

// The window's dots per inch; the system's where the system cannot tell a window's own.
int window_dpi(HWND hwnd);

// The toolbar's strip of icons (the 24-pixel drawings when `large`) at the scale `dpi`, the
// standard grey turned into the button colour as the toolbar does with its own. The caller owns
// the bitmap. The size of one icon on the screen in `shown`.
HBITMAP toolbar_strip(HINSTANCE instance, bool large, int dpi, int& shown);

// Draws the bitmap resource `id` with its top left corner at (x, y), grown by `dpi`.
void draw_scaled_bitmap(HDC dc, HINSTANCE instance, int id, int x, int y, int dpi);

// The system has announced that the main window is now at `dpi`: what is drawn for it from now
// on is drawn at that scale, even before the system's own answer for the window catches up.
void announce_dpi(HWND main, int dpi);

// The system's status bar font at `dpi`; nullptr when the system cannot tell it. The caller
// owns it.
HFONT status_font(int dpi);

} // namespace kalmo::win32
