#pragma once
// The one place where the program hands a help request to the system.
#include <windows.h>

#include "core/app/help.h"

namespace kalmo::win32 {

// "kalmo.hlp" beside the program goes to WinHelp as it always did; otherwise the request's
// HTML page opens in the user's browser.
void open_help(HWND owner, app::HelpKind kind, unsigned context = 0);
// At exit: closes WinHelp when it was the help in use (a browser stays open).
void close_help(HWND owner);

} // namespace kalmo::win32
