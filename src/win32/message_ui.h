#pragma once
// The program's message boxes.
#include <windows.h>

#include "core/app/ui.h"

namespace kalmo::win32 {

// The window a box raised now belongs to. A box owned by nobody leaves the window that raised
// it clickable underneath, where a second click starts the same action again.
HWND box_owner();

// MessageBoxA over box_owner(): every box the program shows that the core does not word.
int message_box(const char* text, const char* caption, UINT style);

// The program's boxes; no caption means the system's own.
class Win32MessageUi : public app::MessageUi {
public:
    app::Answer show(const app::Message& message) override { return show(message, box_owner()); }
    // The box over `owner`, which it disables while it shows.
    app::Answer show(const app::Message& message, HWND owner);
};

} // namespace kalmo::win32
