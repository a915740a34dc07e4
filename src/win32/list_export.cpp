#include "list_export.h"

#include <commdlg.h>

#include <cstring>
#include <optional>
#include <string>

#include "core/app/strings.h"
#include "core/app/text.h"
#include "core/app/utf8.h"
#include "core/eval/csv_export.h"
#include "file_dialog.h"

namespace kalmo::win32 {

namespace {

// The save dialog, starting at `proposed`; the chosen name, nothing when cancelled. Replacing
// an existing file is asked by the core, in the program's words, not by the dialog.
std::optional<std::string> export_file_dialog(HWND owner, const std::string& proposed) {
    // The proposed name is a text of the lists (Windows-1252); the dialog speaks UTF-8 paths.
    std::string start;
    for (const char c : proposed)
        app::append_utf8(start, app::ansi_code_point(static_cast<unsigned char>(c)));
    FileDialogRequest request;
    request.owner = owner;
    request.filter = app::str::CsvFileFilter;
    request.default_ext = L"csv";
    request.title = app::string_text(app::str::ListExportTitle);
    request.current = start;
    request.save = true;
    // The program's current folder stays where the charge and phonebook dialogs left it.
    request.flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return run_file_dialog(request);
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
