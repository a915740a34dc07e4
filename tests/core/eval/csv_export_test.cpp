// Saving a list's table from the window: what an existing file, a refused answer and a failed
// write do to the user's files.
#include <gtest/gtest.h>

#include "core/app/strings.h"
#include "core/eval/csv_export.h"
#include "core/fakes.h"

using namespace kalmo;
using eval::csv::ExportResult;

namespace {

eval::csv::Table sample_table() {
    eval::csv::Table t({"Name", "Rufnummer"});
    t.add({"M\xFCller", "0891234"});
    return t;
}

const std::string kPath = "C:\\Listen\\Anrufliste 2026-12-07.csv";

TEST(CsvExport, ANewFileGetsTheTableWithoutAQuestion) {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    EXPECT_EQ(eval::csv::save_table(sample_table(), kPath, fs, ui), ExportResult::Written);
    EXPECT_EQ(fs.files.at(kPath), sample_table().text());
    EXPECT_TRUE(ui.shown.empty());
}

TEST(CsvExport, AnExistingFileIsReplacedOnlyAfterYes) {
    for (const app::Answer answer : {app::Answer::No, app::Answer::Yes}) {
        test::MemoryFileSystem fs;
        fs.files[kPath] = "last month";
        test::RecordingUi ui;
        ui.answers.push_back(answer);
        const ExportResult result = eval::csv::save_table(sample_table(), kPath, fs, ui);
        ASSERT_EQ(ui.shown.size(), 1u);
        const app::Message& ask = ui.shown[0];
        EXPECT_EQ(ask.buttons, app::Buttons::YesNo);
        EXPECT_TRUE(ask.default_no) << "Enter must not destroy the old table";
        EXPECT_NE(ask.text.find(kPath), std::string::npos) << ask.text;
        if (answer == app::Answer::No) {
            EXPECT_EQ(result, ExportResult::Declined);
            EXPECT_EQ(fs.files.at(kPath), "last month");
            EXPECT_EQ(fs.writes, 0);
        } else {
            EXPECT_EQ(result, ExportResult::Written);
            EXPECT_EQ(fs.files.at(kPath), sample_table().text());
        }
    }
}

TEST(CsvExport, AFailedWriteIsReportedWithTheFileAndKeepsTheOldOne) {
    test::MemoryFileSystem fs;
    fs.files[kPath] = "last month";
    fs.unwritable[kPath] = true;
    test::RecordingUi ui; // Yes to the question
    EXPECT_EQ(eval::csv::save_table(sample_table(), kPath, fs, ui), ExportResult::Failed);
    EXPECT_EQ(fs.files.at(kPath), "last month");
    ASSERT_EQ(ui.shown.size(), 2u);
    const app::Message& failure = ui.shown[1];
    EXPECT_EQ(failure.icon, app::Icon::Error);
    EXPECT_EQ(failure.caption, std::string(app::string_text(app::str::Error)));
    EXPECT_EQ(failure.text.substr(0, 10 + kPath.size()), "Die Datei " + kPath) << failure.text;
}

TEST(CsvExport, ProposedNameCarriesTheListAndTheDay) {
    EXPECT_EQ(eval::csv::proposed_export_name("Anrufliste", {2026, 1, 5, 23, 59, 0}),
              "Anrufliste 2026-01-05.csv");
}

} // namespace
