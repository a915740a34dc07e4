#pragma once
// "Exportieren …" of the list dialogs and the phonebook editor: the save dialog, then the core
// writes the same table as the console's --csv.
#include <windows.h>

#include <functional>

#include "core/app/ui.h"
#include "core/eval/csv.h"

namespace kalmo::win32 {

// What an export needs from the program.
struct ExportPlace {
    app::FileSystem& fs;
    app::MessageUi& ui;
    app::Clock& clock;
};

// Asks over `owner` for a file name (proposing `list_name` and today's date) and writes the
// table there; nothing happens when the dialog is cancelled. The table is made only once a
// name has been chosen, from the list as it stands then.
void export_list(HWND owner, const ExportPlace& place, const char* list_name,
                 const std::function<eval::csv::Table()>& table);

} // namespace kalmo::win32
