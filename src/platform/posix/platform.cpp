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

std::string to_native_path(std::string_view ansi) {
    return ansi_to_utf8(ansi);
}
std::string from_native_path(std::string_view native) {
    return utf8_to_ansi(native);
}

std::string program_path() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? utf8_to_ansi(std::string_view(buf, static_cast<std::size_t>(n))) : std::string();
}

std::string default_journal_folder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return utf8_to_ansi(data) + "/kalmo/Journal";
    if (const char* home = std::getenv("HOME"); home && *home)
        return utf8_to_ansi(home) + "/.local/share/kalmo/Journal";
    return "Journal";
}

} // namespace kalmo::platform
