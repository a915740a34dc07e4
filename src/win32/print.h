#pragma once
// The one print routine every list uses: the list box's lines under a heading, page by page.
#include <windows.h>

#include <commdlg.h>

#include <string>

#include "core/app/ui.h"

namespace kalmo::win32 {

// The program's printer settings, and where a print that failed is reported.
struct Printer {
    PRINTDLGA& settings;
    app::MessageUi& ui;
};

// Prints every line of `list_box` under `heading` with the printer's settings, the cancel
// dialog "AbortDlg" and its message pump. `owner` is the printing dialog.
void print_list(const Printer& printer, HWND owner, HWND list_box, const std::string& heading);

} // namespace kalmo::win32
