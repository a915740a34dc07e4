#include <ostream>

#include "cli/archive_files.h"
#include "cli/cli.h"
#include "cli/phonebook_option.h"
#include "core/eval/archive_report.h"
#include "platform/archive.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {
using eval::report::Month;

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

    platform::SystemArchiveFinder finder;
    const eval::report::ArchiveReport result = eval::report::report_archive(
        {ctx.positional, by, from, to}, *ctx.fs, finder, *book->lookup, book->project_names);
    name_problems(ctx, result.problems);
    const eval::report::Report& report = result.report;
    const std::string counts = eval::report::counts_line(result);
    if (ctx.csv) {
        ctx.raw(eval::report::report_table(report, by, ctx.currency).text());
        // The table stays a table; the counts go beside it.
        ctx.err << platform::to_console(counts) << "\n";
    } else {
        ctx.line(counts);
        for (const std::string& l : eval::report::report_lines(report, by, ctx.currency))
            ctx.line(l);
    }
    return result.problems.empty() ? kExitOk : kExitFailed;
}

} // namespace kalmo::cli
