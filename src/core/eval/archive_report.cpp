#include "core/app/utf8.h"
#include "core/eval/archive_report.h"

#include "core/app/strings.h"
#include "core/app/text.h"

namespace kalmo::eval::report {

namespace {
// A charge file larger than this holds no charge data anyway: the store's limit is far below.
constexpr std::size_t kLargestFile = std::size_t{1} << 24;
// A box taller than the screen hides its OK button: a badly damaged archive is named in part.
constexpr std::size_t kProblemsNamed = 15;

unsigned problem_text(Trouble kind) {
    switch (kind) {
    case Trouble::CannotRead:
    case Trouble::FolderUnreadable:
        return app::str::ReportCannotRead;
    case Trouble::Incomplete:
        return app::str::ReportIncomplete;
    case Trouble::NotChargeData:
        return app::str::ReportNotChargeData;
    case Trouble::FolderLink:
        return app::str::ReportFolderLink;
    }
    return app::str::ReportCannotRead;
}
} // namespace

ArchiveReport report_archive(const ReportRequest& request, app::FileSystem& fs,
                             ArchiveFinder& finder, const phonebook::NumberLookup& lookup,
                             const ProjectNames& projects) {
    ArchiveReport out;
    Archive archive;
    for (const FoundFile& file : finder.charge_files(request.roots, out.problems)) {
        auto read = read_date_from_name(file.path);
        if (!read) read = file.modified;
        const auto bytes = read ? fs.read(file.path, kLargestFile) : std::nullopt;
        if (!bytes) {
            out.problems.push_back({Trouble::CannotRead, file.path});
            continue;
        }
        switch (archive.add_file(*bytes, *read)) {
        case FileVerdict::Read:
            break;
        case FileVerdict::Incomplete:
            out.problems.push_back({Trouble::Incomplete, file.path});
            break;
        case FileVerdict::NotChargeData:
            out.problems.push_back({Trouble::NotChargeData, file.path});
            break;
        }
    }
    out.report = summarize(archive, request.by, request.from, request.to, lookup, projects);
    out.files_read = archive.files_read();
    out.duplicates = archive.duplicates();
    return out;
}

std::string counts_line(const ArchiveReport& report) {
    return std::to_string(report.files_read) + " Dateien gelesen, " +
           std::to_string(report.duplicates) + " doppelte Datensätze nicht gezählt";
}

std::pair<Month, Month> last_full_months(const app::LocalTime& today, int months) {
    // The current month is not over yet: its totals would look like a whole month's.
    const int last = today.year * 12 + (today.month - 1) - 1;
    const int first = last - (months - 1);
    return {Month{first / 12, first % 12 + 1}, Month{last / 12, last % 12 + 1}};
}

std::string month_field_text(const Month& month) {
    return app::format("%02d.%04d", month.month, month.year);
}

std::optional<Month> parse_month_field(std::string_view field) {
    const std::string trimmed = app::trimmed(field);
    const std::string_view text = trimmed;
    const std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 2 || text.size() != dot + 5)
        return std::nullopt;
    Month m;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == dot) continue;
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        if (i < dot)
            m.month = m.month * 10 + (text[i] - '0');
        else
            m.year = m.year * 10 + (text[i] - '0');
    }
    if (m.month < 1 || m.month > 12 || m.year < 1900) return std::nullopt;
    return m;
}

std::variant<ReportRequest, app::Message> request_from_choice(const ReportChoice& choice) {
    if (choice.roots.empty())
        return app::Message{app::string_text(app::str::ReportNothingChosen),
                            app::string_text(app::str::Error), app::Buttons::Ok, app::Icon::Error};
    const auto from = parse_month_field(choice.from);
    const auto to = parse_month_field(choice.to);
    if (!from || !to || from->index() > to->index())
        return app::Message{app::string_text(app::str::ReportPeriodInvalid),
                            app::string_text(app::str::Error), app::Buttons::Ok, app::Icon::Error};
    return ReportRequest{choice.roots, choice.by, from, to};
}

std::optional<app::Message> problems_message(const std::vector<Problem>& problems) {
    if (problems.empty()) return std::nullopt;
    std::string named;
    for (std::size_t i = 0; i < problems.size() && i < kProblemsNamed; ++i)
        named += app::format(app::string_text(problem_text(problems[i].kind)),
                             app::shown_path(problems[i].path).c_str()) +
                 "\n";
    if (problems.size() > kProblemsNamed) named += "…\n";
    return app::Message{app::format(app::string_text(app::str::ReportFilesLeftOut), named.c_str()),
                        app::string_text(app::str::Error), app::Buttons::Ok, app::Icon::Warning};
}

} // namespace kalmo::eval::report
