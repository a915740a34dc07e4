#pragma once
// The program's message boxes.
#include <windows.h>

#include "core/app/ui.h"

namespace kalmo::win32 {

// Message boxes without an owner window; no caption means the system's own.
class Win32MessageUi : public app::MessageUi {
public:
    app::Answer show(const app::Message& message) override { return show(message, nullptr); }
    // The box over `owner` (none: without one).
    app::Answer show(const app::Message& message, HWND owner);
};

} // namespace kalmo::win32
