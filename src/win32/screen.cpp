#include "screen.h"

#include <commctrl.h>

#include "resource.h"
#include "core/app/screen_scale.h"

namespace kalmo::win32 {

namespace {

// The functions for the scale of one window exist from Windows 10 1607 on, which the program
// requires; looked up by name all the same, so that an older system still gets the
// system-wide scale instead of no start at all.
template <class F> F user32_function(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

int system_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The scale the system last announced for the main window: the one to draw for from then on,
// even before the system's own answer to "which scale has this window" has caught up.
HWND announced_for = nullptr;
int announced_dpi = 0;

} // namespace

int window_dpi(HWND hwnd) {
    if (hwnd && hwnd == announced_for && announced_dpi > 0) return announced_dpi;
    using ForWindow = UINT(WINAPI*)(HWND);
    static const auto for_window = user32_function<ForWindow>("GetDpiForWindow");
    const int dpi = for_window && hwnd ? static_cast<int>(for_window(hwnd)) : 0;
    return dpi > 0 ? dpi : system_dpi();
}

HBITMAP toolbar_strip(HINSTANCE instance, bool large, int dpi, int& shown) {
    static const int kDrawn[] = {16, 24, 32, 48};
    // The control library looks resources up by UTF-16 names.
    static const INT_PTR kResource[] = {IDB_TOOLBAR_SMALL, IDB_TOOLBAR_LARGE,
                                        reinterpret_cast<INT_PTR>(L"KalmoToolbar32"),
                                        reinterpret_cast<INT_PTR>(L"KalmoToolbar48")};
    const app::IconChoice choice = app::choose_icon(large ? 24 : 16, dpi, kDrawn, 4);
    shown = choice.shown;
    INT_PTR resource = IDB_TOOLBAR_SMALL;
    for (int i = 0; i < 4; ++i)
        if (kDrawn[i] == choice.drawn) resource = kResource[i];
    HBITMAP drawn = CreateMappedBitmap(instance, resource, 0, nullptr, 0);
    if (!drawn || choice.shown == choice.drawn) return drawn;
    BITMAP info;
    GetObjectA(drawn, sizeof info, &info);
    const int count = info.bmWidth / choice.drawn;
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP grown = CreateCompatibleBitmap(screen, count * choice.shown, choice.shown);
    if (grown) {
        HGDIOBJ old_from = SelectObject(from, drawn);
        HGDIOBJ old_to = SelectObject(to, grown);
        // Whole multiples repeat pixels and stay sharp; anything else is smoothed.
        SetStretchBltMode(to, choice.shown % choice.drawn == 0 ? COLORONCOLOR : HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, count * choice.shown, choice.shown, from, 0, 0, count * choice.drawn,
                   choice.drawn, SRCCOPY);
        SelectObject(from, old_from);
        SelectObject(to, old_to);
    }
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    if (!grown) return drawn;
    DeleteObject(drawn);
    return grown;
}

void draw_scaled_bitmap(HDC dc, HINSTANCE instance, int id, int x, int y, int dpi) {
    HBITMAP bmp = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
    if (!bmp) return;
    BITMAP info;
    GetObjectA(bmp, sizeof info, &info);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bmp);
    const int w = app::scale_to_dpi(info.bmWidth, dpi);
    const int h = app::scale_to_dpi(info.bmHeight, dpi);
    if (w == info.bmWidth && h == info.bmHeight) {
        BitBlt(dc, x, y, w, h, mem, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, x, y, w, h, mem, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
}

void announce_dpi(HWND main, int dpi) {
    announced_for = main;
    announced_dpi = dpi;
}

HFONT status_font(int dpi) {
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto for_dpi = user32_function<ForDpi>("SystemParametersInfoForDpi");
    if (!for_dpi) return nullptr;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return nullptr;
    return CreateFontIndirectW(&metrics.lfStatusFont);
}

} // namespace kalmo::win32
