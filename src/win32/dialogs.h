#pragma once
// The small dialogs of the main window: the port dialog, the currency and the About box.
#include <windows.h>

#include "core/app/settings.h"

namespace kalmo::win32 {

// The port chosen with OK goes into `settings`.
void run_port_dialog(HWND owner, app::Settings& settings);
void run_about_box(HWND owner);
// The currency chosen with OK goes into `settings`; Cancel and the close box keep it.
void run_currency_dialog(HWND owner, app::Settings& settings);

} // namespace kalmo::win32
