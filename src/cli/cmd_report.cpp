#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli.h"
#include "cli/phonebook_option.h"
#include "core/eval/report.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {
namespace stdfs = std::filesystem;
using eval::report::Month;
using eval::report::ReadDate;

// The day a file was last written, for files whose name carries no read date.
std::optional<ReadDate> modification_date(const stdfs::path& path) {
    std::error_code ec;
    const auto written = stdfs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    const std::tm* local = std::localtime(&t);
    if (!local) return std::nullopt;
    return ReadDate{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

bool is_charge_file_name(const stdfs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext == ".GDS";
}

std::string shown_path(const stdfs::path& p) {
    try {
        return platform::to_console(platform::from_native_path(p.string()));
    } catch (const std::exception&) {
        return "?";
    }
}

// The charge data files below `folder`. A folder that cannot be read and a link to a folder
// are named, never passed over in silence: the totals would lack their calls and look whole.
void collect_folder(Context& ctx, const stdfs::path& folder, std::vector<stdfs::path>& found,
                    bool& trouble) {
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
                collect_folder(ctx, entry.path(), found, trouble);
            }
        } else if (entry.is_regular_file(kind) && is_charge_file_name(entry.path())) {
            found.push_back(entry.path());
        }
    }
    if (ec) {
        ctx.err << "kalmo: cannot read the folder " << shown_path(folder) << "\n";
        trouble = true;
    }
}

// Every charge data file named or found below the named folders, in a stable order.
std::vector<stdfs::path> archive_files(Context& ctx, bool& trouble) {
    std::vector<stdfs::path> files;
    for (const std::string& arg : ctx.positional) {
        const stdfs::path root(platform::to_native_path(arg));
        std::error_code ec;
        if (stdfs::is_directory(root, ec)) {
            std::vector<stdfs::path> found;
            collect_folder(ctx, root, found, trouble);
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(root);
        }
    }
    return files;
}

bool parse_by(const std::optional<std::string>& text, eval::report::By& by) {
    if (!text || *text == "subscriber")
        by = eval::report::By::Subscriber;
    else if (*text == "project")
        by = eval::report::By::Project;
    else if (*text == "month")
        by = eval::report::By::Month;
    else
        return false;
    return true;
}
} // namespace

// Totals over an archive of charge data files: per subscriber, project or month.
int cmd_report(Context& ctx) {
    eval::report::By by{};
    if (!parse_by(ctx.option("--by"), by))
        return ctx.usage("--by takes subscriber, project or month");
    std::optional<Month> from, to;
    if (const auto text = ctx.option("--from")) {
        from = eval::report::parse_month(*text);
        if (!from) return ctx.usage("--from takes YYYY-MM");
    }
    if (const auto text = ctx.option("--to")) {
        to = eval::report::parse_month(*text);
        if (!to) return ctx.usage("--to takes YYYY-MM");
    }
    if (by == eval::report::By::Project && !ctx.option("--phonebook"))
        return ctx.usage("--by project needs --phonebook FILE.TLB");
    const auto book = load_phonebook_for_cli(ctx, ctx.option("--phonebook"));
    if (!book) return kExitFailed;

    bool trouble = false;
    eval::report::Archive archive;
    for (const stdfs::path& path : archive_files(ctx, trouble)) {
        std::string name;
        try {
            name = platform::from_native_path(path.string());
        } catch (const std::exception&) {
            // A name the narrow code page cannot spell; reading it under "?" would fail anyway.
            name = "?";
        }
        const std::string shown = platform::to_console(name);
        auto read = eval::report::read_date_from_name(name);
        if (!read) read = modification_date(path);
        const auto bytes = ctx.fs->read(name, std::size_t{1} << 24);
        if (!bytes || !read) {
            ctx.err << "kalmo: cannot read " << shown << "\n";
            trouble = true;
            continue;
        }
        switch (archive.add_file(*bytes, *read)) {
        case eval::report::FileVerdict::Read:
            break;
        case eval::report::FileVerdict::Incomplete:
            ctx.err << "kalmo: " << shown << " holds fewer records than its header counts\n";
            trouble = true;
            break;
        case eval::report::FileVerdict::NotChargeData:
            ctx.err << "kalmo: " << shown << " is not a charge data file\n";
            trouble = true;
            break;
        }
    }

    const eval::report::Report report =
        eval::report::summarize(archive, by, from, to, *book->lookup, book->project_names);
    const std::string counts = std::to_string(archive.files_read()) + " Dateien gelesen, " +
                               std::to_string(archive.duplicates()) +
                               " doppelte Datensätze nicht gezählt";
    if (ctx.csv) {
        ctx.raw(eval::report::report_table(report, by, ctx.currency).text());
        // The table stays a table; the counts go beside it.
        ctx.err << platform::to_console(counts) << "\n";
    } else {
        ctx.line(counts);
        for (const std::string& l : eval::report::report_lines(report, by, ctx.currency))
            ctx.line(l);
    }
    return trouble ? kExitFailed : kExitOk;
}

} // namespace kalmo::cli
