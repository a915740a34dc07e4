// The privacy dialog's logic: which months it takes, what it says about the confidential
// numbers, and the archive cut behind its button (asked first, counted as the console counts).
#include <gtest/gtest.h>

#include "core/app/privacy.h"
#include "core/app/strings.h"
#include "core/data/charge.h"
#include "core/data/charge_file.h"
#include "core/fakes.h"
#include "support/builders.h"

using namespace kalmo;
using namespace kalmo::app;

TEST(PrivacyFields, MonthsAreANumberUpToAHundredYearsAndBlankMeansNever) {
    const std::pair<const char*, std::optional<unsigned>> cases[] = {
        {"", 0u},
        {"   ", 0u},
        {"0", 0u},
        {"24", 24u},
        {" 24 ", 24u},
        {"0024", 24u},
        {"1200", 1200u},
        {"1201", std::nullopt},
        {"9999", std::nullopt},
        {"99999", std::nullopt},
        {"-1", std::nullopt},
        {"+5", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"abc", std::nullopt},
    };
    for (const auto& [text, months] : cases)
        EXPECT_EQ(parse_cut_months(text), months) << "\"" << text << "\"";
}

TEST(PrivacyFields, OkTakesTheFieldsAndAWrongMonthChangesNothing) {
    Settings before;
    before.masked_digits = 3;
    before.archive_cut_months = 24;
    before.currency = Currency::EUR;
    test::RecordingUi ui;

    PrivacyFields f = privacy_fields(before);
    EXPECT_EQ(f.masked_digits, 3u);
    EXPECT_EQ(f.cut_months, "24");
    // Unchanged fields give back the same settings: OK without a change changes nothing.
    EXPECT_EQ(apply_privacy_fields(before, f, ui), before);

    f.masked_digits = 6;
    f.drop_confidential = true;
    f.cut_months = "";
    const auto after = apply_privacy_fields(before, f, ui);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->masked_digits, 6u);
    EXPECT_TRUE(after->drop_confidential);
    EXPECT_EQ(after->archive_cut_months, 0u);
    EXPECT_EQ(after->currency, Currency::EUR);
    EXPECT_TRUE(ui.shown.empty());

    f.cut_months = "zwei";
    EXPECT_EQ(apply_privacy_fields(before, f, ui), std::nullopt);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, string_text(str::CutMonthsInvalid));

    // A value no list offers (a hand-edited file) shows as no shortening, not as garbage.
    before.masked_digits = 9;
    before.archive_cut_months = 0;
    EXPECT_EQ(privacy_fields(before).masked_digits, 0u);
    EXPECT_EQ(privacy_fields(before).cut_months, "");
}

TEST(PrivacyFields, TheHintSaysWhereTheFileIsAndWhatCameOfIt) {
    const std::string path = "C:\\Kalmo\\Vertraulich.txt";
    const std::pair<ConfidentialState, std::string> cases[] = {
        {{path, false, true, 0, 0},
         "Es gibt keine Datei C:\\Kalmo\\Vertraulich.txt: Keine Rufnummer ist vertraulich."},
        {{path, true, false, 0, 0},
         "C:\\Kalmo\\Vertraulich.txt konnte beim Start nicht gelesen werden: Vertrauliche "
         "Rufnummern werden angezeigt."},
        {{path, true, true, 0, 0},
         "C:\\Kalmo\\Vertraulich.txt wurde beim Start gelesen: 0 vertrauliche Rufnummern."},
        {{path, true, true, 4, 2},
         "C:\\Kalmo\\Vertraulich.txt wurde beim Start gelesen: 4 vertrauliche Rufnummern. 2 "
         "Zeilen sind keine Rufnummer und werden nicht beachtet."},
    };
    for (const auto& [state, hint] : cases)
        EXPECT_EQ(confidential_hint(state), hint);
}

TEST(ArchiveDueDay, TheNameDatesAFileElseTheDayItWasWritten) {
    const LocalTime today{2026, 12, 7};
    struct Case {
        ArchiveEntry entry;
        ArchiveDue due;
    };
    const Case cases[] = {
        {{"A\\2024-12-06_170000.GDS", std::nullopt}, ArchiveDue::Due},
        {{"A\\2024-12-07_170000.gds", std::nullopt}, ArchiveDue::NotDue},
        // The name wins over a later copy's date.
        {{"A\\2024-01-28_170000.ANR", LocalTime{2026, 12, 1}}, ArchiveDue::Due},
        {{"A\\Februar.GDS", LocalTime{2024, 12, 6}}, ArchiveDue::Due},
        {{"A\\Februar.GDS", LocalTime{2026, 12, 6}}, ArchiveDue::NotDue},
        {{"A\\Februar.GDS", std::nullopt}, ArchiveDue::Undated},
        {{"A\\2024-01-28_170000.ASC", LocalTime{2020, 1, 1}}, ArchiveDue::NoArchiveFile},
        {{"A\\GDS", LocalTime{2020, 1, 1}}, ArchiveDue::NoArchiveFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(archive_file_due(c.entry, today, 24), c.due) << c.entry.path;
}

namespace {
// An archive of two old reads (charges with their export, and calls) and a recent one.
struct CutArchiveNow : ::testing::Test {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    const LocalTime today{2026, 12, 7};
    const std::string folder = "C:\\Kalmo\\Archiv";
    const std::string old_gds = folder + "\\2024\\2024-01-28_170000.GDS";
    const std::string old_asc = folder + "\\2024\\2024-01-28_170000.ASC";
    const std::string old_anr = folder + "\\2024\\2024-01-28_170000.ANR";
    const std::string saved = folder + "\\Januar.GDS";
    const std::string new_gds = folder + "\\2026\\2026-11-28_170000.GDS";
    ArchiveListing listing;
    std::string gds;

    void SetUp() override {
        data::ChargeStore store;
        test::fill_store(store, {test::charge(0x21, 1, 3, 1234, "0891234567", 9, 5, 75),
                                 test::charge(0x22, 1, 4, 56, "Privatgespräch", 9, 6, 12)});
        const auto image = store.save_image();
        gds = std::string(image.begin(), image.end());
        fs.files[old_gds] = gds;
        fs.files[old_asc] = data::export_content(store);
        fs.files[old_anr] = test::text_of(test::bytes_of({test::call(0x21, 1, 5, "07111234")}));
        fs.files[saved] = gds;
        fs.files[new_gds] = gds;
        listing.files = {{old_anr, std::nullopt},
                         {old_gds, std::nullopt},
                         {new_gds, std::nullopt},
                         {saved, LocalTime{2024, 2, 1}}};
    }
    std::size_t press(std::string_view months = "24") {
        return cut_archive_now(fs, ui, folder, listing, today, months);
    }
};
} // namespace

TEST_F(CutArchiveNow, AsksWithTheCountAndNoLeavesEveryFileAlone) {
    const auto before = fs.files;
    ui.answers = {Answer::No};
    EXPECT_EQ(press(), 0u);
    ASSERT_EQ(ui.shown.size(), 1u);
    const Message& q = ui.shown[0];
    EXPECT_EQ(q.text.substr(0, q.text.find('\n')),
              "Im Archiv C:\\Kalmo\\Archiv werden 4 Dateien geändert: Die Rufnummern aller "
              "Dateien, die älter als 24 Monate sind, werden gelöscht.");
    EXPECT_EQ(q.buttons, Buttons::YesNo);
    EXPECT_TRUE(q.default_no) << "numbers cut are gone: Enter must not cut them";
    EXPECT_EQ(fs.writes, 0);
    EXPECT_EQ(fs.files, before);
}

TEST_F(CutArchiveNow, YesCutsTheOldFilesOnlyAndTheNextPressFindsNothing) {
    const std::string recent = fs.files[new_gds];
    EXPECT_EQ(press(), 4u);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "4 Dateien im Archiv gekürzt.");
    EXPECT_EQ(fs.files[new_gds], recent);
    EXPECT_EQ(fs.files[old_gds], fs.files[saved]);
    EXPECT_NE(fs.files[old_gds], recent);
    EXPECT_EQ(fs.files[old_asc].find("0891"), std::string::npos);
    EXPECT_EQ(fs.files[old_anr], test::text_of(test::bytes_of({test::call(0x21, 1, 5, "")})));
    // The question counted exactly what the cut then changed, as the console's dry run does.
    const ArchiveCut dry = cut_archive(fs, listing.files, today, 24, 0, false);
    EXPECT_EQ(dry.changed, 0u);

    ui.shown.clear();
    EXPECT_EQ(press(), 0u);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Im Archiv C:\\Kalmo\\Archiv ist keine Datei älter als 24 Monate, "
                                "deren Rufnummern noch gekürzt werden müssen.");
}

TEST_F(CutArchiveNow, NoMonthsOrWrongMonthsAskNothing) {
    for (const char* months : {"", "0", "x", "1201"}) {
        ui.shown.clear();
        EXPECT_EQ(press(months), 0u) << months;
        ASSERT_EQ(ui.shown.size(), 1u) << months;
        EXPECT_EQ(ui.shown[0].buttons, Buttons::Ok) << months;
    }
    EXPECT_EQ(fs.writes, 0);
}

TEST_F(CutArchiveNow, FilesLeftAloneAreNamedInTheResult) {
    fs.files[old_anr].clear(); // an empty call file has nothing to cut: unchanged, not skipped
    fs.files[folder + "\\kaputt.GDS"] = "kein Magic";
    listing.files.push_back({folder + "\\kaputt.GDS", LocalTime{2020, 1, 1}});
    listing.files.push_back({folder + "\\ohne-datum.GDS", std::nullopt});
    listing.unread = 1; // a folder that could not be read
    EXPECT_EQ(press(), 3u);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text, "3 Dateien im Archiv gekürzt.\n3 Dateien oder Ordner konnten nicht "
                                "gelesen werden und bleiben, wie sie sind.");
    EXPECT_EQ(ui.shown[1].icon, Icon::Warning);
}

TEST_F(CutArchiveNow, AFailedWriteStopsTheRunAndSaysHowFarItGot) {
    // The export fails after its data file was cut: that one counts, the files after it wait.
    fs.unwritable[old_asc] = true;
    EXPECT_EQ(press(), 2u);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[1].text,
              "Die Datei " + old_asc +
                  " kann nicht geschrieben werden; sie ist unverändert.\nKürzen abgebrochen! 2 "
                  "Dateien wurden vorher gekürzt.");
    EXPECT_EQ(ui.shown[1].icon, Icon::Error);
    EXPECT_EQ(fs.files[saved], gds) << "the saved copy was not reached";
}
