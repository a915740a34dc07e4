#pragma once
// The phonebook in the Windows program: the phonebook file dialog, the two editor dialogs and
// the four commands of the "&Telefonbuch" menu.
#include <windows.h>

#include <optional>
#include <string>

#include "program.h"
#include "core/app/shell.h"

namespace kalmo::win32 {

// Runs the phonebook's Open dialog over `owner`; the chosen path, or nothing when cancelled. The
// choice is also written under "Telbook" into the profile of the bare name "Kalmo32.ini".
std::optional<std::string> phonebook_file_dialog(HWND owner, const std::string& title,
                                                 const std::string& current);

// IDM_PHONEBOOK_NEW, IDM_PHONEBOOK_OPEN, IDM_PHONEBOOK_EDIT and IDM_PROJECT_NAMES on the
// program's phonebook.
void run_phonebook_command(HWND main, Program& a, app::Action action);

} // namespace kalmo::win32
