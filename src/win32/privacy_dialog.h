#pragma once
// "Optionen › &Datenschutz …": the privacy switches and cutting the archive now.
#include <windows.h>

#include "program.h"

namespace kalmo::win32 {

// OK takes the switches into the program's settings and writes them at once; Cancel changes
// nothing (a cut already made stays made).
void run_privacy_dialog(HWND owner, Program& a);

} // namespace kalmo::win32
