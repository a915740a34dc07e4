#pragma once
// The exchange transfers run from the main window: each on a thread of its own, while the
// window's thread shows the progress dialog "V24AbortDlgBox" and the transfer's messages.
#include <windows.h>

#include <cstdint>
#include <string>

#include "program.h"

namespace kalmo::win32 {

// The list a transfer leaves to be shown once its port is closed and its dialog gone.
enum class NextList { None, ChargeEvaluation, CallList };

// Runs the transfer of IDM_READ_CHARGES, IDM_DELETE_CHARGES, IDM_READ_CALLS or IDM_DELETE_CALLS
// to its end on the program's stores and port; the owner is out of reach meanwhile. A successful
// read of charges leaves the charge evaluation to open, a connected read of calls the call list.
NextList run_transfer(HWND main, Program& a, unsigned command);
// "Gebührendaten abholen": the charges (and the calls when the settings say so) into the archive
// folder, the exchange emptied only of what was kept; the charge evaluation of what was kept
// follows.
NextList run_collect(HWND main, Program& a);
// The speed-dial dialog's transfer, with that dialog as owner of the progress dialog.
void write_speed_dial(HWND owner, const Program& a, const std::string& number_text,
                      std::uint8_t index);

} // namespace kalmo::win32
