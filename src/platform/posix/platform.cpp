#include "platform/platform.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

#include "platform/posix/files.h"

namespace kalmo::platform {

void write_stdout_as_bytes() {}

std::string to_console(std::string_view ansi) {
    return ansi_to_utf8(ansi);
}
std::string from_console(std::string_view text) {
    return utf8_to_ansi(text);
}

std::optional<std::string> from_console_exact(std::string_view text) {
    std::string ansi = utf8_to_ansi(text);
    if (ansi_to_utf8(ansi) != text) return std::nullopt;
    return ansi;
}

// Names reach the file system as the bytes they are: UTF-8 on every usual system, and a name
// in another encoding is still opened, not refused.
std::filesystem::path native_path(std::string_view utf8) {
    return std::filesystem::path(std::string(utf8));
}
std::string utf8_path(const std::filesystem::path& native) {
    return native.string();
}
std::string path_to_console(std::string_view utf8) {
    return std::string(utf8);
}

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

std::string program_path() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string default_journal_folder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/kalmo/Journal";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/share/kalmo/Journal";
    return "Journal";
}

} // namespace kalmo::platform
