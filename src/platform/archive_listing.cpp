// Walking an archive folder for the files whose numbers may be cut: the same walk as the
// archive report's, so both see the same files and name the same folders they could not read.
#include <filesystem>
#include <system_error>

#include "platform/archive.h"
#include "platform/platform.h"

namespace kalmo::platform {

namespace {
namespace stdfs = std::filesystem;

// A name the character set cannot spell throws on the way; such a file is counted as unread
// once its full name is taken.
bool archive_file(const stdfs::path& path) {
    try {
        return app::archive_kind(path.extension().string()).has_value();
    } catch (const std::exception&) {
        return true;
    }
}
} // namespace

app::ArchiveListing list_archive(const std::string& folder) {
    app::ArchiveListing listing;
    std::error_code ec;
    // A folder that is not there is one that could not be read: nothing in it was cut.
    if (!stdfs::is_directory(native_path(folder), ec)) {
        listing.unread = 1;
        return listing;
    }
    std::vector<eval::report::Problem> problems;
    const std::vector<stdfs::path> found = archive_files({folder}, archive_file, problems);
    listing.unread = problems.size();
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
        std::optional<app::LocalTime> written;
        if (const auto day = modification_date(path))
            written = app::LocalTime{day->year, day->month, day->day};
        listing.files.push_back({std::move(name), written});
    }
    return listing;
}

} // namespace kalmo::platform
