#include "platform/platform.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/files.h"

namespace kalmo::platform {

std::unique_ptr<app::FileSystem> make_file_system() {
    return std::make_unique<Win32FileSystem>();
}
std::unique_ptr<app::CodePage> make_code_page() {
    return std::make_unique<Win32CodePage>();
}
std::unique_ptr<app::Clock> make_clock() {
    return std::make_unique<Win32Clock>();
}

// The Windows console takes the program's ANSI bytes as they are.
std::string to_console(std::string_view ansi) {
    return std::string(ansi);
}
std::string from_console(std::string_view text) {
    return std::string(text);
}

std::string program_path() {
    // Long paths come back cut to the buffer; they are far beyond what the settings accept
    // beside the program, so the cut never makes them look like a shorter, valid path.
    char buf[1024];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, std::min<DWORD>(n, sizeof buf));
}

} // namespace kalmo::platform
