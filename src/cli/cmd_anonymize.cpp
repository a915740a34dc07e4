#include <filesystem>
#include <ostream>

#include "cli/archive_files.h"
#include "cli/cli.h"
#include "core/app/privacy.h"
#include "core/data/anonymize.h"
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
    std::vector<app::ArchiveEntry> entries;
    for (const stdfs::path& path : archive_files(ctx, trouble, is_archive_file_name)) {
        const std::string name = platform::utf8_path(path);
        if (name.empty() || !app::archive_kind(name)) {
            ctx.err << "kalmo: " << shown_path(path) << " is no charge or call file\n";
            trouble = true;
            continue;
        }
        std::optional<app::LocalTime> written;
        if (const auto day = modification_date(path))
            written = app::LocalTime{day->year, day->month, day->day};
        entries.push_back({name, written});
    }

    // The same run as the Windows program's button, which counts the files first in the same way.
    const app::ArchiveCut run = app::cut_archive(
        *ctx.fs, entries, today, static_cast<unsigned>(*months), static_cast<std::size_t>(keep),
        ctx.yes,
        [&](const app::ArchiveEntry& entry, app::ArchiveDue due, const data::CutReport* cut) {
            if (!cut) {
                if (due == app::ArchiveDue::Undated)
                    ctx.err << "kalmo: cannot read " << platform::path_to_console(entry.path)
                            << "\n";
                trouble = true;
                return;
            }
            const std::string failed = platform::path_to_console(cut->failed);
            switch (cut->result) {
            case data::CutResult::Unchanged:
                break;
            case data::CutResult::WouldChange:
            case data::CutResult::Rewritten:
                for (const std::string& file : cut->changed)
                    ctx.line(file);
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
                ctx.err << "kalmo: cannot write " << failed << "; it is as it was\n";
                break;
            case data::CutResult::CheckFailed:
                if (cut->restored)
                    ctx.err << "kalmo: " << failed
                            << " did not read back as written; its old content is back\n";
                else
                    ctx.err << "kalmo: " << failed
                            << " did not read back as written, nor could its old content be "
                               "written back\n";
                break;
            }
        });
    if (run.stopped) {
        ctx.err << "kalmo: stopped; " << run.changed << " files rewritten before\n";
        return kExitFailed;
    }
    if (ctx.yes)
        ctx.err << "kalmo: " << run.changed << " files rewritten\n";
    else
        ctx.err << "kalmo: " << run.changed << " files would change; --yes rewrites them\n";
    return trouble ? kExitFailed : kExitOk;
}

} // namespace kalmo::cli
