#include <filesystem>
#include <ostream>

#include "cli/archive_files.h"
#include "cli/cli.h"
#include "cli/phonebook_option.h"
#include "core/eval/report.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {
namespace stdfs = std::filesystem;
using eval::report::Month;

bool is_charge_file_name(const stdfs::path& p) {
    return has_extension(p, "GDS");
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
    for (const stdfs::path& path : archive_files(ctx, trouble, is_charge_file_name)) {
        const std::string name = platform::utf8_path(path);
        const std::string shown = platform::path_to_console(name);
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
