#include <filesystem>
#include <ostream>

#include "cli/archive_files.h"
#include "cli/cli.h"
#include "core/data/anonymize.h"
#include "core/eval/report.h"
#include "platform/platform.h"

namespace kalmo::cli {

namespace {
namespace stdfs = std::filesystem;

bool is_archive_file_name(const stdfs::path& p) {
    return has_extension(p, "GDS") || has_extension(p, "ANR");
}

std::optional<int> parse_count(const std::string& text, int most) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    const int n = std::stoi(text);
    if (n > most) return std::nullopt;
    return n;
}

} // namespace

// Cuts the numbers in the archive's older charge and call files; totals stay as they were.
int cmd_anonymize(Context& ctx) {
    const auto months_text = ctx.option("--older-than");
    if (!months_text) return ctx.usage("anonymize needs --older-than MONTHS");
    const auto months = parse_count(*months_text, 1200);
    if (!months) return ctx.usage("--older-than takes a number of months");
    int keep = 0;
    if (const auto text = ctx.option("--keep-digits")) {
        const auto k = parse_count(*text, 24);
        if (!k) return ctx.usage("--keep-digits takes a number from 0 to 24");
        keep = *k;
    }
    const app::LocalTime today = ctx.clock->now();

    bool trouble = false;
    std::size_t changed = 0;
    for (const stdfs::path& path : archive_files(ctx, trouble, is_archive_file_name)) {
        const std::string name = platform::utf8_path(path);
        const bool calls = has_extension(path, "ANR");
        if (name.empty() || (!calls && !has_extension(path, "GDS"))) {
            ctx.err << "kalmo: " << shown_path(path) << " is no charge or call file\n";
            trouble = true;
            continue;
        }
        auto read = eval::report::read_date_from_name(name, calls ? "ANR" : "GDS");
        if (!read) read = modification_date(path);
        if (!read) {
            ctx.err << "kalmo: cannot read " << shown_path(path) << "\n";
            trouble = true;
            continue;
        }
        if (!data::older_than({read->year, read->month, read->day}, today, *months)) continue;

        const data::CutReport cut = data::cut_archive_file(
            *ctx.fs, name, calls ? data::ArchiveKind::Calls : data::ArchiveKind::Charges,
            static_cast<std::size_t>(keep), ctx.yes);
        const std::string failed = platform::path_to_console(cut.failed);
        switch (cut.result) {
        case data::CutResult::Unchanged:
            break;
        case data::CutResult::WouldChange:
        case data::CutResult::Rewritten:
            for (const std::string& file : cut.changed)
                ctx.line(file);
            changed += cut.changed.size();
            break;
        case data::CutResult::Unreadable:
            ctx.err << "kalmo: cannot read " << failed << "\n";
            trouble = true;
            break;
        case data::CutResult::NotChargeData:
            ctx.err << "kalmo: " << failed << " is not a charge data file\n";
            trouble = true;
            break;
        case data::CutResult::WriteFailed:
        case data::CutResult::CheckFailed:
            // Whatever fails to write here would fail for the next file too.
            if (cut.result == data::CutResult::WriteFailed)
                ctx.err << "kalmo: cannot write " << failed << "; it is as it was\n";
            else if (cut.restored)
                ctx.err << "kalmo: " << failed
                        << " did not read back as written; its old content is back\n";
            else
                ctx.err << "kalmo: " << failed
                        << " did not read back as written, nor could its old content be "
                           "written back\n";
            ctx.err << "kalmo: stopped; " << changed << " files rewritten before\n";
            return kExitFailed;
        }
    }
    if (ctx.yes)
        ctx.err << "kalmo: " << changed << " files rewritten\n";
    else
        ctx.err << "kalmo: " << changed << " files would change; --yes rewrites them\n";
    return trouble ? kExitFailed : kExitOk;
}

} // namespace kalmo::cli
