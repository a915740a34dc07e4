#pragma once
// The one print routine every list uses: the list box's lines under a heading, page by page.
#include <windows.h>

#include <string>

namespace kalmo::win32 {

// Prints every line of `list_box` under `heading`, with the printer settings of the program,
// the cancel dialog "AbortDlg" and its message pump. `owner` is the printing dialog.
void print_list(HWND owner, HWND list_box, const std::string& heading);

} // namespace kalmo::win32
