#include "cli/archive_files.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <ostream>
#include <system_error>

#include "platform/platform.h"

namespace kalmo::cli {

namespace stdfs = std::filesystem;

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

bool has_extension(const stdfs::path& p, std::string_view upper) {
    std::string ext = p.extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext.size() == upper.size() + 1 && ext[0] == '.' && ext.substr(1) == upper;
}

std::string shown_path(const stdfs::path& p) {
    return platform::path_to_console(platform::utf8_path(p));
}

namespace {
// A folder that cannot be read and a link to a folder are named, never passed over in
// silence: the totals would lack their calls and look whole.
void collect_folder(Context& ctx, const stdfs::path& folder, bool (*wanted)(const stdfs::path&),
                    std::vector<stdfs::path>& found, bool& trouble) {
    std::error_code ec;
    stdfs::directory_iterator it(folder, ec);
    for (; !ec && it != stdfs::directory_iterator(); it.increment(ec)) {
        const stdfs::directory_entry& entry = *it;
        std::error_code kind;
        if (entry.is_directory(kind)) {
            if (entry.is_symlink(kind)) {
                // A link could lead back up, or into another archive counted on its own.
                ctx.err << "kalmo: " << shown_path(entry.path())
                        << " is a link to a folder; not followed\n";
                trouble = true;
            } else {
                collect_folder(ctx, entry.path(), wanted, found, trouble);
            }
        } else if (entry.is_regular_file(kind) && wanted(entry.path())) {
            found.push_back(entry.path());
        }
    }
    if (ec) {
        ctx.err << "kalmo: cannot read the folder " << shown_path(folder) << "\n";
        trouble = true;
    }
}
} // namespace

std::vector<stdfs::path> archive_files(Context& ctx, bool& trouble,
                                       bool (*wanted)(const stdfs::path&)) {
    std::vector<stdfs::path> files;
    for (const std::string& arg : ctx.positional) {
        const stdfs::path root(platform::native_path(arg));
        std::error_code ec;
        if (stdfs::is_directory(root, ec)) {
            std::vector<stdfs::path> found;
            collect_folder(ctx, root, wanted, found, trouble);
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(root);
        }
    }
    return files;
}

} // namespace kalmo::cli
