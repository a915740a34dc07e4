#pragma once
// Reports over an archive of charge data files: every record gets its full year from the date
// its file was read, a record found in several files counts as often as one file holds it, and
// the records of a period are totalled per subscriber, per project or per month, in 64-bit
// Pfennig.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/data/charge.h"
#include "core/eval/csv.h"
#include "core/eval/project.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval::report {

// A calendar month with its full year.
struct Month {
    int year = 0;
    int month = 0; // 1..12
    int index() const { return year * 12 + (month - 1); }
    bool operator==(const Month&) const = default;
};

// When a file was read. Its records carry month and day but no year.
struct ReadDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 31;  // not known: the month's end, so no record of the read month moves back
    ReadDate() = default;
    ReadDate(int y, int m, int d = 31) : year(y), month(m), day(d) {}
    ReadDate(Month m) : year(m.year), month(m.month) {} // NOLINT: a month is a date at its end
    bool operator==(const ReadDate&) const = default;
};

// The read date that a collected or journalled file carries in its name,
// "YYYY-MM-DD_HHMMSS.GDS" (the extension in any case; "ANR" for a call file); nothing for any
// other name.
std::optional<ReadDate> read_date_from_name(std::string_view path,
                                            std::string_view extension = "GDS");

// "YYYY-MM" as the command line gives it.
std::optional<Month> parse_month(std::string_view text);

struct DatedRecord {
    data::ChargeRecord record;
    int year = 0;
};

enum class FileVerdict {
    Read,         // every record the header counts
    Incomplete,   // fewer records than the header counts: those held were taken
    NotChargeData // empty, too short or another magic: nothing taken
};

class Archive {
public:
    // Takes the non-empty records of one charge data file read at `read`: a record of a later
    // date in the year than the read belongs to the year before. A file never holds one call
    // twice, but two calls can have the same bytes (the same number, minute and amount); files
    // overlap (a journal and the save of one read): a record that one file holds k times and
    // another j times is counted max(k, j) times, the rest as duplicates.
    FileVerdict add_file(std::span<const std::uint8_t> bytes, ReadDate read);

    const std::vector<DatedRecord>& records() const { return records_; }
    std::size_t files_read() const { return files_read_; }
    std::size_t duplicates() const { return duplicates_; }

private:
    std::vector<DatedRecord> records_;
    std::unordered_map<std::string, std::size_t> seen_; // record and year -> most in one file
    std::size_t files_read_ = 0;
    std::size_t duplicates_ = 0;
};

enum class By { Subscriber, Project, Month };

struct Totals {
    std::uint64_t calls = 0;
    std::uint64_t seconds = 0;
    std::uint64_t pfennig = 0;
};

struct Group {
    std::string label; // Windows character set: "21", "NN", a project name, "03.2026"
    Totals totals;
};

struct Report {
    std::vector<Group> groups; // subscribers ascending, projects 1..10 then "ohne Projekt",
                               // months in calendar order
    Totals total;
};

constexpr char kNoProject[] = "ohne Projekt";

// Totals of the records whose month lies within [from, to] (either end open).
Report summarize(const Archive& archive, By by, std::optional<Month> from, std::optional<Month> to,
                 const phonebook::NumberLookup& lookup, const ProjectNames& projects);

// The report as text lines (Windows character set) and as a spreadsheet table.
std::vector<std::string> report_lines(const Report& report, By by,
                                      app::Currency currency = app::Currency::DM);
csv::Table report_table(const Report& report, By by, app::Currency currency = app::Currency::DM);

} // namespace kalmo::eval::report
