#pragma once
// The two small dialogs of the main window: the port dialog and the About box.
#include <windows.h>

#include "core/app/settings.h"

namespace kalmo::win32 {

// The port chosen with OK goes into `settings`.
void run_port_dialog(HWND owner, app::Settings& settings);
void run_about_box(HWND owner);

} // namespace kalmo::win32
