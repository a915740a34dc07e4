#include <gtest/gtest.h>

#include <cstring>

#include "core/app/text.h"
#include "core/data/charge_file.h"
#include "core/fakes.h"
#include "support/builders.h"

using namespace kalmo;
using namespace kalmo::data;

namespace {
ChargeRecord record(std::uint8_t subscriber, std::uint8_t month, std::uint8_t day,
                    std::uint32_t amount) {
    return test::charge(subscriber, month, day, amount, "089123456", 9, 5, 75);
}

void fill(ChargeStore& store, const std::vector<ChargeRecord>& records) {
    store.set_count(static_cast<std::uint16_t>(records.size()));
    for (std::size_t i = 0; i < records.size(); ++i)
        store.set_record(i, records[i]);
}

std::string image(const std::vector<ChargeRecord>& records, std::uint16_t count) {
    return test::text_of(test::charge_file(records, count));
}

struct ChargeFileTest : ::testing::Test {
    test::MemoryFileSystem fs;
    test::RecordingUi ui;
    ChargeStore store;
};
} // namespace

TEST_F(ChargeFileTest, ThreeRecordsMakeA103ByteFileAndLoadBackInFileOrder) {
    const std::vector<ChargeRecord> recs = {record(0x21, 5, 3, 10), record(0x22, 1, 9, 20),
                                            record(0x05, 3, 14, 1234)};
    fill(store, recs);
    EXPECT_EQ(save_charge_file(store, "C:\\DATEN\\JAN.GDS", fs, ui), SaveResult::Saved);
    const std::string& file = fs.files.at("C:\\DATEN\\JAN.GDS");
    ASSERT_EQ(file.size(), 103u);
    EXPECT_EQ(file, image(recs, 3));
    EXPECT_TRUE(ui.shown.empty());

    ChargeStore loaded;
    loaded.filter.from_year = 0x7E;
    loaded.filter.minimum_amount = 505;
    EXPECT_EQ(load_charge_file(loaded, "C:\\DATEN\\JAN.GDS", fs, ui), LoadResult::Loaded);
    ASSERT_EQ(loaded.count(), 3);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(loaded.record(i), recs[i]);
    EXPECT_EQ(loaded.filter.from_month, 5);
    EXPECT_EQ(loaded.filter.from_day, 3);
    EXPECT_EQ(loaded.filter.to_month, 3);
    EXPECT_EQ(loaded.filter.to_day, 14);
    // Years and minimum belong to the evaluation, not to the file.
    EXPECT_EQ(loaded.filter.from_year, 0x7E);
    EXPECT_EQ(loaded.filter.minimum_amount, 505u);
}

TEST_F(ChargeFileTest, LoadFailuresReportAndKeepTheRecordsInMemory) {
    fill(store, {record(0x21, 1, 1, 1)});
    EXPECT_EQ(load_charge_file(store, "missing.gds", fs, ui), LoadResult::NotOpened);
    ASSERT_EQ(ui.texts(), std::vector<std::string>{"Error reading missing.gds."});
    EXPECT_EQ(ui.shown[0].icon, app::Icon::Warning);
    ui.shown.clear();

    fs.files["empty.gds"] = "";
    EXPECT_EQ(load_charge_file(store, "empty.gds", fs, ui), LoadResult::Unreadable);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Error reading empty.gds.");
    EXPECT_EQ(ui.shown[0].icon, app::Icon::Warning);
    EXPECT_FALSE(ui.shown[0].caption.has_value());

    std::string v11 = image({record(0x21, 1, 1, 1)}, 1);
    v11[30] = '1'; // "V1.1"
    fs.files["v11.gds"] = v11;
    EXPECT_EQ(load_charge_file(store, "v11.gds", fs, ui), LoadResult::NotAChargeFile);
    EXPECT_EQ(ui.shown.back().text, "Error v11.gds ist keine Gebührendatei.");
    EXPECT_EQ(ui.shown.back().icon, app::Icon::Error);
    EXPECT_EQ(store.count(), 1);

    fs.files["short.gds"] = "Gebuehr";
    EXPECT_EQ(load_charge_file(store, "short.gds", fs, ui), LoadResult::NotAChargeFile);
    EXPECT_EQ(store.count(), 1);
}

TEST_F(ChargeFileTest, LyingCountsLoadWhatIsThereAndSaySo) {
    struct Case {
        const char* name;
        std::size_t held;
        std::uint16_t claimed;
        std::uint16_t loaded;
    };
    for (const Case c : {Case{"lie.gds", 2, 5, 2},
                         // Far longer than the store: at most 2,000 records.
                         Case{"huge.gds", 2100, 0xFFFF, kChargeCapacity},
                         // Only the header and the count: no record invented.
                         Case{"head.gds", 0, 3, 0}}) {
        SCOPED_TRACE(c.name);
        ui.shown.clear();
        std::vector<ChargeRecord> recs;
        for (std::size_t i = 0; i < c.held; ++i)
            recs.push_back(record(0x21, static_cast<std::uint8_t>(1 + i % 12), 4, 4));
        fs.files[c.name] = image(recs, c.claimed);
        EXPECT_EQ(load_charge_file(store, c.name, fs, ui), LoadResult::Truncated);
        EXPECT_EQ(store.count(), c.loaded);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].text, app::format("Gebührendatei %s unvollständig:\n%u Datensätze "
                                                "angegeben, %u gelesen.",
                                                c.name, unsigned{c.claimed}, unsigned{c.loaded}));
        EXPECT_EQ(ui.shown[0].icon, app::Icon::Warning);
        // The range follows the records that were loaded.
        if (c.loaded > 0) {
            EXPECT_EQ(store.filter.to_month, recs[c.loaded - 1].month);
        }
    }

    // A count that matches is no news.
    ui.shown.clear();
    fs.files["ok.gds"] = image({record(0x21, 1, 1, 1)}, 1);
    EXPECT_EQ(load_charge_file(store, "ok.gds", fs, ui), LoadResult::Loaded);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(ChargeFileTest, ASaveWhoseExportWouldReplaceTheDataFileWritesNothing) {
    fill(store, {record(0x21, 1, 1, 1)});
    for (const char* name : {"JAN.ASC", "c:\\daten\\jan.asc", "Jan.Asc"}) {
        SCOPED_TRACE(name);
        ui.shown.clear();
        EXPECT_EQ(save_charge_file(store, name, fs, ui), SaveResult::ExportNameClash);
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].caption, std::string("Fehler"));
        EXPECT_NE(ui.shown[0].text.find(name), std::string::npos);
    }
    EXPECT_EQ(fs.writes, 0);
    // Only the name's last extension counts: a folder called .ASC is harmless.
    EXPECT_EQ(save_charge_file(store, "X.ASC\\JAN", fs, ui), SaveResult::Saved);
}

TEST_F(ChargeFileTest, SaveRefusesAnEmptyStoreAndAsksBeforeOverwriting) {
    EXPECT_EQ(save_charge_file(store, "a.gds", fs, ui), SaveResult::StoreEmpty);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0],
              (app::Message{"Gebührendatenspeicher leer\nFunktion abgebrochen",
                            std::string("Fehler"), app::Buttons::Ok, app::Icon::Error}));
    EXPECT_EQ(fs.writes, 0);

    fill(store, {record(0x21, 1, 1, 1)});
    fs.files["a.gds"] = "old";
    fs.files["a.ASC"] = "old export";
    ui.answers.push_back(app::Answer::No);
    EXPECT_EQ(save_charge_file(store, "a.gds", fs, ui), SaveResult::Declined);
    EXPECT_EQ(ui.shown.back(), (app::Message{"Das File a.gds. existiert bereits überschreiben ?",
                                             std::string("Information"), app::Buttons::YesNo,
                                             app::Icon::Information}));
    EXPECT_EQ(fs.files["a.gds"], "old");
    EXPECT_EQ(fs.files["a.ASC"], "old export");

    EXPECT_EQ(save_charge_file(store, "a.gds", fs, ui), SaveResult::Saved);
    EXPECT_EQ(fs.files["a.gds"].size(), 57u);
}

TEST_F(ChargeFileTest, FailedWritesAreReportedAndTheExportStillFollows) {
    fill(store, {record(0x21, 1, 1, 1)});
    fs.unwritable["x.gds"] = true;
    EXPECT_EQ(save_charge_file(store, "x.gds", fs, ui), SaveResult::DataWriteFailed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Error writing x.gds.");
    EXPECT_EQ(ui.shown[0].icon, app::Icon::Error);
    EXPECT_TRUE(fs.files.count("x.ASC"));

    test::RecordingUi ui2;
    fs.unwritable["y.ASC"] = true;
    EXPECT_EQ(save_charge_file(store, "y.gds", fs, ui2), SaveResult::ExportWriteFailed);
    ASSERT_EQ(ui2.shown.size(), 1u);
    EXPECT_EQ(ui2.shown[0].text, "Error writing y.ASC.");
}

TEST(ExportFile, NameIsCutAtTheLastDotOfTheFileName) {
    EXPECT_EQ(export_file_name("C:\\DATEN\\JAN.GDS"), "C:\\DATEN\\JAN.ASC");
    EXPECT_EQ(export_file_name("C:\\DATEN.96\\JAN"), "C:\\DATEN.96\\JAN.ASC");
    EXPECT_EQ(export_file_name("JAN"), "JAN.ASC");
    EXPECT_EQ(export_file_name("a.b.gds"), "a.b.ASC");
    EXPECT_EQ(export_file_name("/tmp/x.y/data"), "/tmp/x.y/data.ASC");
    EXPECT_EQ(export_file_name("C:JAN.GDS"), "C:JAN.ASC");
}

TEST(ExportFile, FieldsInTheirOrderAndBytes) {
    ChargeStore store;
    std::vector<ChargeRecord> recs = {record(0x21, 3, 14, 1234), record(0xFF, 3, 14, 1),
                                      record(0x05, 12, 1, 0), record(0x00, 1, 2, 7)};
    recs[2].number.fill(0xFF);
    recs[3].number[0] = 0xBB;
    fill(store, recs);
    EXPECT_EQ(export_content(store), "21;14;3;9;5;75;089123456;1234;\n"
                                     "5;1;12;9;5;75;;0;\n"
                                     "0;2;1;9;5;75;Privatgespr\xE4"
                                     "ch;7;\n");

    ChargeStore all_empty;
    fill(all_empty, {record(0xFF, 1, 1, 1), record(0xFF, 1, 1, 1)});
    EXPECT_EQ(export_content(all_empty), "");
}
