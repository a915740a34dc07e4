#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "core/app/settings.h"
#include "platform/files.h"
#include "platform/win32/wide.h"

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
// Arguments reach the program as UTF-8 (utf8_arguments); texts are Windows-1252.
std::string from_console(std::string_view text) {
    return convert(text, CP_UTF8, 1252);
}

std::optional<std::string> from_console_exact(std::string_view text) {
    std::string ansi = from_console(text);
    if (convert(ansi, 1252, CP_UTF8) != text) return std::nullopt;
    return ansi;
}

std::filesystem::path native_path(std::string_view utf8) {
    return std::filesystem::path(widen(utf8));
}
std::string utf8_path(const std::filesystem::path& native) {
    return narrow(native.native());
}
std::string path_to_console(std::string_view utf8) {
    console_to_utf8();
    return std::string(utf8);
}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(narrow(wide[i]));
    LocalFree(wide);
    return args;
}

std::string program_path() {
    // A path may be longer than MAX_PATH; the buffer grows until the whole of it fits.
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) return narrow(std::wstring_view(buf.data(), n));
        if (buf.size() >= 32768) return std::string();
        buf.resize(buf.size() * 2);
    }
}

std::string default_journal_folder() {
    return app::journal_folder_beside(program_path());
}

} // namespace kalmo::platform
