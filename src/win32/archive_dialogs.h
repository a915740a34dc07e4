#pragma once
// "Archiv auswerten …": totals over saved charge files, chosen in a dialog and listed in another.
#include <windows.h>

#include <string>

#include "core/eval/project.h"
#include "list_dialogs.h"

namespace kalmo::win32 {

// Runs the choice dialog with `archive_folder` preselected, and on OK the list of the report.
void run_archive_report(HWND owner, const ListContext& context, app::FileSystem& fs,
                        const eval::ProjectNames& projects, const std::string& archive_folder);

} // namespace kalmo::win32
