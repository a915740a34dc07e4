#include "file_dialog.h"

#include <commdlg.h>

#include <vector>

#include "core/app/strings.h"
#include "platform/win32/wide.h"

namespace kalmo::win32 {

namespace {
std::wstring from_ansi(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int n =
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}
} // namespace

std::string dialog_filter(unsigned id) {
    // A string table holds no NULs, so the texts mark them with bars.
    std::string filter = app::string_text(id);
    for (char& c : filter)
        if (c == '|') c = '\0';
    return filter;
}

std::optional<std::string> run_file_dialog(const FileDialogRequest& request) {
    // As many characters as the program's file name buffers always held; a longer starting
    // name is cut at a character, never inside one.
    constexpr std::size_t kChars = 256;
    std::vector<wchar_t> file(kChars, L'\0');
    std::wstring start = platform::widen(request.current);
    if (start.size() > kChars - 1) start.resize(kChars - 1);
    if (!start.empty() && start.back() >= 0xD800 && start.back() <= 0xDBFF) start.pop_back();
    start.copy(file.data(), start.size());
    const std::wstring title = from_ansi(request.title);
    const std::wstring filter = from_ansi(dialog_filter(request.filter));

    OPENFILENAMEW o{};
    o.lStructSize = sizeof o;
    o.hwndOwner = request.owner;
    o.lpstrFilter = filter.c_str();
    o.nFilterIndex = 1;
    o.lpstrFile = file.data();
    o.nMaxFile = static_cast<DWORD>(file.size());
    o.lpstrTitle = title.empty() ? nullptr : title.c_str();
    o.lpstrDefExt = request.default_ext;
    o.Flags = request.flags;
    const BOOL ok = request.save ? GetSaveFileNameW(&o) : GetOpenFileNameW(&o);
    if (!ok) return std::nullopt;
    return platform::narrow(file.data());
}

} // namespace kalmo::win32
