#pragma once
// The common Open and Save As dialogs for the program's files. Each call fills a record of its
// own, so no dialog inherits a field another one set.
#include <windows.h>

#include <optional>
#include <string>

namespace kalmo::win32 {

struct FileDialogRequest {
    HWND owner = nullptr;
    unsigned filter = 0; // string-table id of the "caption|pattern|" pairs
    const wchar_t* default_ext = nullptr;
    std::string title;   // Windows-1252; empty: the dialog's own caption
    std::string current; // UTF-8 path the dialog starts at
    bool save = false;
    DWORD flags = 0; // OFN_ flags beyond the dialog's defaults
};

// The filter text `id` as the dialogs take it: each caption and pattern zero-terminated, the
// whole closed by the string's own terminator. Windows-1252.
std::string dialog_filter(unsigned id);

// The chosen path in UTF-8; nothing when the dialog was cancelled.
std::optional<std::string> run_file_dialog(const FileDialogRequest& request);

} // namespace kalmo::win32
