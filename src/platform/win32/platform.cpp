#include "platform/platform.h"

#include <windows.h>

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
    char buf[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    // A path cut off by the buffer would name the wrong directory: better none.
    if (n == 0 || n >= sizeof buf) return std::string();
    return std::string(buf, n);
}

} // namespace kalmo::platform
