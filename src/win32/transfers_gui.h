#pragma once
// The exchange transfers run from the main window: the progress dialog "V24AbortDlgBox" and the
// message pump that keeps the program alive while the link waits.
#include <windows.h>

namespace kalmo::win32 {

// Runs the transfer of command 104, 105, 106 or 107 to its end.
void run_transfer(HWND main, unsigned command);
// While a transfer waits, the pump still dispatches the main window's messages: commands and
// closing the window are refused then.
bool transfer_busy();

} // namespace kalmo::win32
