#pragma once
// A report over an archive as both front ends give it: the charge files below the chosen folders
// and files, each read and dated, the damaged ones named, the rest totalled.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/app/ui.h"
#include "core/eval/report.h"

namespace kalmo::eval::report {

// A charge file of an archive: its name (UTF-8) and the day it was last
// written, for a name that carries no read date.
struct FoundFile {
    std::string path;
    std::optional<ReadDate> modified;
};

// Why something chosen adds nothing to the totals.
enum class Trouble {
    CannotRead,       // the file cannot be opened, or its name cannot be spelt
    Incomplete,       // fewer records than its header counts: those held are counted
    NotChargeData,    // nothing counted
    FolderUnreadable, // what lies below it is missing
    FolderLink,       // not followed
};

struct Problem {
    Trouble kind;
    std::string path; // Windows character set
};

// Finds the charge files below folders; the system's side of the archive.
class ArchiveFinder {
public:
    virtual ~ArchiveFinder() = default;
    // Each root that is a folder gives the charge files below it (recursively, in a stable
    // order); any other root is taken as a file. What cannot be searched goes to `problems`.
    virtual std::vector<FoundFile> charge_files(const std::vector<std::string>& roots,
                                                std::vector<Problem>& problems) = 0;
};

struct ArchiveReport {
    Report report;
    std::size_t files_read = 0;
    std::size_t duplicates = 0;
    // In the order met; the other files are still in the totals.
    std::vector<Problem> problems;
};

struct ReportRequest {
    std::vector<std::string> roots; // folders and files
    By by = By::Subscriber;
    std::optional<Month> from, to;
};

ArchiveReport report_archive(const ReportRequest& request, app::FileSystem& fs,
                             ArchiveFinder& finder, const phonebook::NumberLookup& lookup,
                             const ProjectNames& projects);

// "26 Dateien gelesen, 4000 doppelte Datensätze nicht gezählt"
std::string counts_line(const ArchiveReport& report);

// The period a report offers first: the last `months` full months before `today`.
std::pair<Month, Month> last_full_months(const app::LocalTime& today, int months = 12);

// A month as the window's period fields take it, "MM.JJJJ" (a one-digit month too).
std::string month_field_text(const Month& month);
std::optional<Month> parse_month_field(std::string_view field);

// What the window's report dialog holds when OK is pressed.
struct ReportChoice {
    std::vector<std::string> roots;
    std::string from, to; // "MM.JJJJ"
    By by = By::Subscriber;
};

// The request, or the message that says what is wrong with the choice.
std::variant<ReportRequest, app::Message> request_from_choice(const ReportChoice& choice);

// The box that names every file and folder left out of a report, or nothing when all were
// counted.
std::optional<app::Message> problems_message(const std::vector<Problem>& problems);

} // namespace kalmo::eval::report
