#include "cli/archive_files.h"

#include <algorithm>
#include <ostream>

#include "platform/platform.h"

namespace kalmo::cli {

namespace stdfs = std::filesystem;

bool has_extension(const stdfs::path& p, std::string_view upper) {
    std::string ext = p.extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext.size() == upper.size() + 1 && ext[0] == '.' && ext.substr(1) == upper;
}

std::string shown_path(const stdfs::path& p) {
    return platform::path_to_console(platform::utf8_path(p));
}

void name_problems(Context& ctx, const std::vector<eval::report::Problem>& problems) {
    using eval::report::Trouble;
    for (const eval::report::Problem& p : problems) {
        const std::string shown = platform::path_to_console(p.path);
        switch (p.kind) {
        case Trouble::CannotRead:
            ctx.err << "kalmo: cannot read " << shown << "\n";
            break;
        case Trouble::Incomplete:
            ctx.err << "kalmo: " << shown << " holds fewer records than its header counts\n";
            break;
        case Trouble::NotChargeData:
            ctx.err << "kalmo: " << shown << " is not a charge data file\n";
            break;
        case Trouble::FolderUnreadable:
            ctx.err << "kalmo: cannot read the folder " << shown << "\n";
            break;
        case Trouble::FolderLink:
            ctx.err << "kalmo: " << shown << " is a link to a folder; not followed\n";
            break;
        }
    }
}

std::vector<stdfs::path> archive_files(Context& ctx, bool& trouble,
                                       bool (*wanted)(const stdfs::path&)) {
    std::vector<eval::report::Problem> problems;
    auto files = platform::archive_files(ctx.positional, wanted, problems);
    name_problems(ctx, problems);
    if (!problems.empty()) trouble = true;
    return files;
}

} // namespace kalmo::cli
