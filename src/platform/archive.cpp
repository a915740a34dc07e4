#include "platform/archive.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <system_error>

#include "platform/platform.h"

namespace kalmo::platform {

namespace stdfs = std::filesystem;
using eval::report::Problem;
using eval::report::Trouble;

namespace {
// "?" for a name that cannot be converted: reading it under that name would open another file
// or none.
std::string shown_name(const stdfs::path& p) {
    try {
        return utf8_path(p);
    } catch (const std::exception&) {
        return "?";
    }
}

// A folder that cannot be read and a link to a folder are named, never passed over in
// silence: the totals would lack their calls and look whole.
void collect_folder(const stdfs::path& folder, bool (*wanted)(const stdfs::path&),
                    std::vector<stdfs::path>& found, std::vector<Problem>& problems) {
    std::error_code ec;
    stdfs::directory_iterator it(folder, ec);
    for (; !ec && it != stdfs::directory_iterator(); it.increment(ec)) {
        const stdfs::directory_entry& entry = *it;
        std::error_code kind;
        if (entry.is_directory(kind)) {
            if (entry.is_symlink(kind))
                // A link could lead back up, or into another archive counted on its own.
                problems.push_back({Trouble::FolderLink, shown_name(entry.path())});
            else
                collect_folder(entry.path(), wanted, found, problems);
        } else if (entry.is_regular_file(kind) && wanted(entry.path())) {
            found.push_back(entry.path());
        }
    }
    if (ec) problems.push_back({Trouble::FolderUnreadable, shown_name(folder)});
}

bool is_charge_file_name(const stdfs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext == ".GDS";
}
} // namespace

std::optional<eval::report::ReadDate> modification_date(const stdfs::path& path) {
    std::error_code ec;
    const auto written = stdfs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    const std::tm* local = std::localtime(&t);
    if (!local) return std::nullopt;
    return eval::report::ReadDate{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

std::vector<stdfs::path> archive_files(const std::vector<std::string>& roots,
                                       bool (*wanted)(const stdfs::path&),
                                       std::vector<Problem>& problems) {
    std::vector<stdfs::path> files;
    for (const std::string& root_name : roots) {
        const stdfs::path root(native_path(root_name));
        std::error_code ec;
        if (stdfs::is_directory(root, ec)) {
            std::vector<stdfs::path> found;
            collect_folder(root, wanted, found, problems);
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(root);
        }
    }
    return files;
}

std::vector<eval::report::FoundFile>
SystemArchiveFinder::charge_files(const std::vector<std::string>& roots,
                                  std::vector<Problem>& problems) {
    std::vector<eval::report::FoundFile> out;
    for (const stdfs::path& path : archive_files(roots, is_charge_file_name, problems)) {
        const std::string name = shown_name(path);
        if (name == "?")
            out.push_back({name, std::nullopt});
        else
            out.push_back({name, modification_date(path)});
    }
    return out;
}

} // namespace kalmo::platform
