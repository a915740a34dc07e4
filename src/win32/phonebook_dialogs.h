#pragma once
// The phonebook in the Windows program: its allocation and loading at start-up, the phonebook
// file dialog, the two editor dialogs and the four commands of the "&Telefonbuch" menu.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/app/shell.h"
#include "core/phonebook/phonebook.h"

namespace kalmo::win32 {

// The phonebook storage, zero-filled; nothing when memory is short.
std::unique_ptr<phonebook::Phonebook> allocate_phonebook();
// Clears the phonebook and reads the file the settings name; a file that yields nothing has
// its name dropped from the settings.
void load_phonebook_at_start();

// Runs the file dialog over the charge file dialog record, lent for the phonebook and given
// back as it was; the chosen path, or nothing when cancelled. The choice is also written under
// "Telbook" into the profile of the bare name "Kalmo32.ini".
std::optional<std::string> phonebook_file_dialog(const std::string& title,
                                                 const std::string& current);

// IDM_PHONEBOOK_NEW, IDM_PHONEBOOK_OPEN, IDM_PHONEBOOK_EDIT and IDM_PROJECT_NAMES.
void run_phonebook_command(HWND main, app::Action action);

} // namespace kalmo::win32
