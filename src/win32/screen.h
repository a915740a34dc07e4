#pragma once
// The main window on screens of any scale: its icons, pictures and status bar drawn for the
// scale of the screen it is on, and redrawn when it moves to a screen of another scale.
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

// WM_DPICHANGED: the window is now at `dpi`; takes the place the system suggests and redraws
// what does not scale by itself.
void dpi_changed(HWND main, int dpi, const RECT& suggested);

} // namespace kalmo::win32
