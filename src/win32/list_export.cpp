#include "list_export.h"

#include <commdlg.h>

#include <cstring>
#include <optional>
#include <string>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/eval/csv_export.h"

namespace kalmo::win32 {

namespace {

// The save dialog, starting at `proposed`; the chosen name, nothing when cancelled. Replacing
// an existing file is asked by the core, in the program's words, not by the dialog.
std::optional<std::string> export_file_dialog(HWND owner, const std::string& proposed) {
    static const char kFilter[] = "CSV-Dateien (*.csv)\0*.csv\0";
    char file[MAX_PATH * 4] = {};
    const std::string start = app::cut(proposed, sizeof file - 1);
    std::memcpy(file, start.c_str(), start.size() + 1);

    OPENFILENAMEA o{};
    o.lStructSize = sizeof o;
    o.hwndOwner = owner;
    o.lpstrFilter = kFilter;
    o.nFilterIndex = 1;
    o.lpstrFile = file;
    o.nMaxFile = sizeof file;
    o.lpstrTitle = app::string_text(app::str::ListExportTitle);
    o.lpstrDefExt = "csv";
    // The program's current folder stays where the charge and phonebook dialogs left it.
    o.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&o)) return std::nullopt;
    return std::string(file);
}

} // namespace

void export_list(HWND owner, const ExportPlace& place, const char* list_name,
                 const std::function<eval::csv::Table()>& table) {
    const auto path =
        export_file_dialog(owner, eval::csv::proposed_export_name(list_name, place.clock.now()));
    if (!path) return;
    eval::csv::save_table(table(), *path, place.fs, place.ui);
}

} // namespace kalmo::win32
