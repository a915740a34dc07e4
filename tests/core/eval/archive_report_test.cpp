// A report over chosen folders and files: dating each file, naming what was left out, and the
// checks of the window's period fields.
#include <gtest/gtest.h>

#include "../fakes.h"
#include "core/eval/archive_report.h"
#include "eval_test_util.h"

using namespace kalmo;
using namespace kalmo::eval::report;
using test::charge;

namespace {

// Hands out the files it was given, after the problems of its own search.
class ListFinder : public ArchiveFinder {
public:
    std::vector<FoundFile> charge_files(const std::vector<std::string>& roots,
                                        std::vector<Problem>& problems) override {
        asked = roots;
        problems.insert(problems.end(), search_problems.begin(), search_problems.end());
        return files;
    }
    std::vector<FoundFile> files;
    std::vector<Problem> search_problems;
    std::vector<std::string> asked;
};

TEST(ArchiveReport, DatesEachFileAndNamesWhatIsLeftOut) {
    test::MemoryFileSystem fs;
    ListFinder finder;
    const auto dec = charge(0x21, 12, 20, 100);
    const auto jan = charge(0x22, 1, 3, 250);
    // Named by its read: January 2026, so December is 2025's.
    fs.files["a/2026-01-05_083000.GDS"] = test::text_of(test::charge_file({dec, jan}));
    // No date in the name: the day it was written decides, December 2025.
    fs.files["a/copy.GDS"] = test::text_of(test::charge_file({dec}));
    fs.files["a/short.GDS"] = test::text_of(test::charge_file({charge(0x23, 1, 10, 250)}, 2));
    fs.files["a/text.GDS"] = "no charge data";
    fs.files["a/undated.GDS"] = test::text_of(test::charge_file({jan}));
    finder.search_problems = {{Trouble::FolderLink, "a/link"}};
    finder.files = {
        {"a/2026-01-05_083000.GDS", std::nullopt}, {"a/copy.GDS", ReadDate{2025, 12, 31}},
        {"a/missing.GDS", ReadDate{2025, 12, 31}}, {"a/short.GDS", ReadDate{2026, 2, 1}},
        {"a/text.GDS", ReadDate{2026, 2, 1}},      {"a/undated.GDS", std::nullopt}};
    const phonebook::NoPhonebook none;
    const ArchiveReport r =
        report_archive({{"a"}, By::Month, Month{2025, 12}, Month{2026, 1}}, fs, finder, none, {});
    EXPECT_EQ(finder.asked, std::vector<std::string>{"a"});
    // The copy's December call is the named file's: one duplicate. The short file's record
    // still counts, and is a second January call of its own year.
    EXPECT_EQ(r.files_read, 3u);
    EXPECT_EQ(r.duplicates, 1u);
    ASSERT_EQ(r.report.groups.size(), 2u);
    EXPECT_EQ(r.report.groups[0].label, "12.2025");
    EXPECT_EQ(r.report.groups[0].totals.calls, 1u);
    EXPECT_EQ(r.report.groups[1].label, "01.2026");
    EXPECT_EQ(r.report.groups[1].totals.calls, 2u);
    EXPECT_EQ(r.report.total.pfennig, 600u);
    EXPECT_EQ(counts_line(r), "3 Dateien gelesen, 1 doppelte Datensätze nicht gezählt");

    const std::vector<Problem> expected = {{Trouble::FolderLink, "a/link"},
                                           {Trouble::CannotRead, "a/missing.GDS"},
                                           {Trouble::Incomplete, "a/short.GDS"},
                                           {Trouble::NotChargeData, "a/text.GDS"},
                                           {Trouble::CannotRead, "a/undated.GDS"}};
    ASSERT_EQ(r.problems.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(r.problems[i].kind, expected[i].kind) << i;
        EXPECT_EQ(r.problems[i].path, expected[i].path) << i;
    }
    const auto box = problems_message(r.problems);
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find("a/link ist eine Verknüpfung"), std::string::npos);
    EXPECT_NE(box->text.find("a/short.GDS ist unvollständig"), std::string::npos);
    EXPECT_NE(box->text.find("a/text.GDS enthält keine Gebührendaten."), std::string::npos);
    EXPECT_FALSE(problems_message({}));
}

TEST(ArchiveReport, ManyProblemsKeepTheBoxOnTheScreen) {
    std::vector<Problem> many(40, Problem{Trouble::NotChargeData, "x.GDS"});
    const auto box = problems_message(many);
    ASSERT_TRUE(box);
    std::size_t lines = 0;
    for (const char c : box->text)
        lines += c == '\n';
    EXPECT_LT(lines, 25u);
    EXPECT_NE(box->text.find("…"), std::string::npos);
}

TEST(ArchivePeriod, LastFullMonthsAndFields) {
    // Early in a year the period reaches back over the turn of the year.
    EXPECT_EQ(last_full_months({2026, 1, 15}), std::make_pair(Month{2025, 1}, Month{2025, 12}));
    EXPECT_EQ(last_full_months({2026, 12, 31}), std::make_pair(Month{2025, 12}, Month{2026, 11}));
    EXPECT_EQ(last_full_months({2026, 3, 1}), std::make_pair(Month{2025, 3}, Month{2026, 2}));
    EXPECT_EQ(month_field_text({2025, 3}), "03.2025");

    const std::pair<const char*, std::optional<Month>> fields[] = {
        {"03.2025", Month{2025, 3}}, {" 3.2025 ", Month{2025, 3}}, {"12.2026", Month{2026, 12}},
        {"13.2025", std::nullopt},   {"00.2025", std::nullopt},    {"03.25", std::nullopt},
        {"2025-03", std::nullopt},   {"", std::nullopt},           {".2025", std::nullopt},
        {"03.20255", std::nullopt},  {"0a.2025", std::nullopt},    {"03.0999", std::nullopt},
    };
    for (const auto& [text, month] : fields)
        EXPECT_EQ(parse_month_field(text), month) << text;
}

TEST(ArchivePeriod, ChoiceChecks) {
    const auto request = [](std::vector<std::string> roots, const char* from, const char* to) {
        return request_from_choice({std::move(roots), from, to, By::Project});
    };
    const auto ok = request({"C:\\Archiv"}, "02.2025", "02.2025");
    ASSERT_TRUE(std::holds_alternative<ReportRequest>(ok));
    const auto& r = std::get<ReportRequest>(ok);
    EXPECT_EQ(r.by, By::Project);
    EXPECT_EQ(r.from, (Month{2025, 2}));
    EXPECT_EQ(r.to, (Month{2025, 2}));

    const auto message_of = [](const std::variant<ReportRequest, app::Message>& v) {
        return std::holds_alternative<app::Message>(v) ? std::get<app::Message>(v).text : "";
    };
    EXPECT_EQ(message_of(request({}, "01.2025", "12.2025")),
              "Kein Ordner und keine Datei gewählt!");
    for (const auto& [from, to] : {std::pair{"03.2025", "02.2025"},
                                   {"x", "02.2025"},
                                   {"01.2025", ""},
                                   {"12.2025", "01.2025"}})
        EXPECT_EQ(message_of(request({"a"}, from, to)).rfind("Zeitraum fehlerhaft!", 0), 0u)
            << from << " " << to;
}

} // namespace
