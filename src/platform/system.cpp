#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/platform.h"

namespace kalmo::platform {

std::unique_ptr<app::FileSystem> make_file_system() {
    return std::make_unique<SystemFileSystem>();
}
std::unique_ptr<app::CodePage> make_code_page() {
    return std::make_unique<SystemCodePage>();
}
std::unique_ptr<app::Clock> make_clock() {
    return std::make_unique<SystemClock>();
}

std::optional<app::LocalTime> newest_file_time(const std::string& folder) {
    namespace stdfs = std::filesystem;
    std::error_code ec;
    stdfs::directory_iterator it(native_path(folder), ec);
    std::optional<stdfs::file_time_type> newest;
    for (; !ec && it != stdfs::directory_iterator(); it.increment(ec)) {
        std::error_code kind;
        if (!it->is_regular_file(kind)) continue;
        const auto written = it->last_write_time(kind);
        if (!kind && (!newest || written > *newest)) newest = written;
    }
    if (!newest) return std::nullopt;
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(*newest));
    const std::tm* local = std::localtime(&t);
    if (!local) return std::nullopt;
    return app::LocalTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                          local->tm_hour,        local->tm_min,     local->tm_sec};
}

} // namespace kalmo::platform
