#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

#include "core/app/settings.h"
#include "platform/files.h"

namespace kalmo::platform {

namespace {
UINT g_previous_output_cp = 0;
void restore_console_cp() {
    SetConsoleOutputCP(g_previous_output_cp);
}
// A console shows the UTF-8 the console front end writes once its output code page says so;
// the previous one comes back at exit. Redirected output needs nothing.
void console_to_utf8() {
    static bool done = false;
    if (done) return;
    done = true;
    DWORD mode = 0;
    if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return;
    g_previous_output_cp = GetConsoleOutputCP();
    if (g_previous_output_cp != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(restore_console_cp);
}

std::string convert(std::string_view text, UINT from, UINT to) {
    if (text.empty()) return std::string();
    const int wide_len =
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_len), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wide_len);
    const int len = WideCharToMultiByte(to, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(len), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wide_len, out.data(), len, nullptr, nullptr);
    return out;
}
} // namespace

// The console front end writes UTF-8 on every platform.
void write_stdout_as_bytes() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

std::string to_console(std::string_view ansi) {
    console_to_utf8();
    return convert(ansi, CP_ACP, CP_UTF8);
}
// Command-line arguments reach a Windows program already in the ANSI code page.
std::string from_console(std::string_view text) {
    return std::string(text);
}

std::optional<std::string> from_console_exact(std::string_view text) {
    return std::string(text);
}

// std::filesystem takes narrow names in the ANSI code page here.
std::string to_native_path(std::string_view ansi) {
    return std::string(ansi);
}
std::string from_native_path(std::string_view native) {
    return std::string(native);
}

std::string program_path() {
    // Long paths come back cut to the buffer; they are far beyond what the settings accept
    // beside the program, so the cut never makes them look like a shorter, valid path.
    char buf[1024];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, std::min<DWORD>(n, sizeof buf));
}

std::string default_journal_folder() {
    return app::journal_folder_beside(program_path());
}

} // namespace kalmo::platform
