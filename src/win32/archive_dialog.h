#pragma once
// "Optionen › Archiv …": the archive folder of "Gebührendaten abholen" and whether it takes the
// call records too.
#include <windows.h>

#include <string>

#include "core/app/settings.h"

namespace kalmo::win32 {

// `program` is the running program's path: the default folder lies beside it.
void run_archive_dialog(HWND owner, app::Settings& settings, const std::string& program);

} // namespace kalmo::win32
