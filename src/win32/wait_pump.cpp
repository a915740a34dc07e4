#include "wait_pump.h"

namespace kalmo::win32 {

bool WaitPump::pump(const Dialog& dialog, const bool* stop_early) {
    if (interval_ != 0) {
        const ULONGLONG now = GetTickCount64();
        if (now - last_ < interval_) return true;
        last_ = now;
    }
    MSG msg;
    while (!(stop_early && *stop_early) && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        // Read each time: a dispatched message may have ended the dialog.
        HWND keys = dialog.hwnd();
        if (keys && IsDialogMessageA(keys, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

} // namespace kalmo::win32
