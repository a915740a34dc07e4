// Walking an archive folder for the files whose numbers may be cut.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/platform.h"

namespace kalmo::platform {

namespace {
namespace stdfs = std::filesystem;

std::optional<app::LocalTime> written_day(const stdfs::path& path) {
    std::error_code ec;
    const auto written = stdfs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    const std::tm* local = std::localtime(&t);
    if (!local) return std::nullopt;
    return app::LocalTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

// A name the character set cannot spell throws on the way; such a file is counted as unread
// once its full name is taken.
bool archive_file(const stdfs::path& path) {
    try {
        return app::archive_kind(path.extension().string()).has_value();
    } catch (const std::exception&) {
        return true;
    }
}

void walk(const stdfs::path& folder, std::vector<stdfs::path>& found, std::size_t& unread) {
    std::error_code ec;
    stdfs::directory_iterator it(folder, ec);
    for (; !ec && it != stdfs::directory_iterator(); it.increment(ec)) {
        const stdfs::directory_entry& entry = *it;
        std::error_code kind;
        if (entry.is_directory(kind)) {
            if (entry.is_symlink(kind))
                ++unread;
            else
                walk(entry.path(), found, unread);
        } else if (entry.is_regular_file(kind) && archive_file(entry.path())) {
            found.push_back(entry.path());
        }
    }
    if (ec) ++unread;
}
} // namespace

app::ArchiveListing list_archive(const std::string& folder) {
    app::ArchiveListing listing;
    std::vector<stdfs::path> found;
    walk(native_path(folder), found, listing.unread);
    std::sort(found.begin(), found.end());
    for (const stdfs::path& path : found) {
        std::string name;
        try {
            name = utf8_path(path);
        } catch (const std::exception&) {
        }
        if (name.empty()) {
            ++listing.unread;
            continue;
        }
        listing.files.push_back({std::move(name), written_day(path)});
    }
    return listing;
}

} // namespace kalmo::platform
