// Cutting numbers out of archive files: what must go (every digit past K, and whatever hides
// behind the end of a number) and what must stay (every byte a total depends on).
#include <gtest/gtest.h>

#include "core/data/anonymize.h"
#include "core/data/charge_file.h"
#include "core/fakes.h"
#include "support/builders.h"

using namespace kalmo;
using namespace kalmo::data;

namespace {
const std::string k24 = "089123456789012345678901";

NumberField field_with_tail(std::string_view number, std::uint8_t tail) {
    NumberField f = pack_number(number);
    // Digits left behind the end of the number, as a field may carry them.
    for (std::size_t i = number.size() / 2 + 1; i < kNumberFieldSize; ++i)
        f[i] = tail;
    return f;
}
} // namespace

TEST(CutNumber, KeepsTheFirstDigitsAndNothingBehindThem) {
    struct Case {
        NumberField field;
        std::size_t keep;
        std::string text;
    };
    const Case cases[] = {
        {pack_number("0891234567"), 0, ""},
        {pack_number("0891234567"), 4, "0891"},
        {pack_number("0891234567"), 9, "089123456"},
        {pack_number("0891234567"), 10, "0891234567"},
        {pack_number("0891"), 10, "0891"},
        {pack_number("12#45"), 3, "12#"},
        {pack_number("#"), 0, ""},
        {pack_number("#"), 1, "#"},
        {pack_number(""), 3, ""},
        {pack_number(k24), 23, k24.substr(0, 23)},
        {pack_number(k24), 24, k24},
        {field_with_tail("089", 0x12), 10, "089"},
        {field_with_tail("0891", 0x34), 2, "08"},
    };
    for (const Case& c : cases) {
        const NumberField cut = cut_number(c.field, c.keep);
        EXPECT_EQ(number_text(cut), c.text) << c.keep;
        // The whole field is the cut number's: no digit survives behind its end.
        EXPECT_EQ(cut, pack_number(c.text)) << c.text;
    }
}

TEST(CutNumber, APrivateCallStaysOneWhateverItsFieldCarries) {
    NumberField marked = field_with_tail("", 0x56);
    marked[0] = kPrivateCallMark;
    for (std::size_t keep : {0u, 5u, 24u}) {
        EXPECT_EQ(cut_number(kPrivateNumber, keep), kPrivateNumber);
        EXPECT_EQ(cut_number(marked, keep), kPrivateNumber);
    }
}

TEST(CutFiles, ChargeFileKeepsEverythingButTheDigits) {
    const std::vector<ChargeRecord> records = {
        test::charge(0x21, 5, 3, 1234, "0891234567", 9, 5, 75),
        test::charge(0x05, 12, 31, 7, "Privatgespräch", 23, 59, 65535),
        test::charge(0x21, 5, 3, 1234, "0897654321", 9, 5, 75),
    };
    const test::Bytes file = test::charge_file(records);
    for (std::size_t keep : {0u, 3u, 24u}) {
        const auto cut = cut_charge_file(file, keep);
        ASSERT_TRUE(cut);
        ASSERT_EQ(cut->size(), file.size());
        EXPECT_TRUE(std::equal(file.begin(), file.begin() + kChargeImageHead, cut->begin()));
        for (std::size_t i = 0; i < records.size(); ++i) {
            ChargeRecord expected = records[i];
            expected.number = cut_number(expected.number, keep);
            EXPECT_EQ(
                ChargeRecord::from_bytes(cut->data() + kChargeImageHead + i * kChargeRecordSize),
                expected);
        }
    }
    EXPECT_FALSE(cut_charge_file(test::Bytes(40, 0), 0));

    // A file that lost its end: the records it holds are cut, the broken rest stays as found.
    test::Bytes broken = test::charge_file(records, 5);
    broken.resize(broken.size() - 2);
    const auto cut = cut_charge_file(broken, 0);
    ASSERT_TRUE(cut);
    EXPECT_EQ(
        number_text(
            ChargeRecord::from_bytes(cut->data() + kChargeImageHead + kChargeRecordSize).number),
        "Privatgespräch");
    EXPECT_TRUE(std::equal(broken.end() - 21, broken.end(), cut->end() - 21));
    EXPECT_EQ(ChargeRecord::from_bytes(cut->data() + kChargeImageHead).number, pack_number(""));
}

TEST(CutFiles, CallFileCutsWholeRecordsOnly) {
    test::Bytes file = test::bytes_of(
        {test::call(0x21, 1, 2, "0891234"), test::call(kAvaSubscriber, 1, 2, "#12", 8, 30)});
    file.push_back(0x08);
    const test::Bytes cut = cut_call_file(file, 1);
    ASSERT_EQ(cut.size(), file.size());
    EXPECT_EQ(CallRecord::from_bytes(cut.data()), test::call(0x21, 1, 2, "0"));
    EXPECT_EQ(CallRecord::from_bytes(cut.data() + kCallRecordSize),
              test::call(kAvaSubscriber, 1, 2, "#", 8, 30));
    EXPECT_EQ(cut.back(), 0x08);
}

TEST(CutFiles, ExportMatchesTheExportOfTheCutRecords) {
    ChargeStore store, cut_store;
    test::fill_store(store, {test::charge(0x21, 5, 3, 1234, "0891234567", 9, 5, 75),
                             test::charge(0x05, 12, 31, 7, "Privatgespräch"),
                             test::charge(0x0A, 1, 1, 0, "", 0, 0, 0),
                             test::charge(0x22, 2, 2, 99, "12#", 1, 1, 1)});
    for (std::size_t keep : {0u, 2u, 3u, 10u, 24u}) {
        cut_store = store;
        for (std::size_t i = 0; i < store.count(); ++i) {
            ChargeRecord r = store.record(i);
            r.number = cut_number(r.number, keep);
            cut_store.set_record(i, r);
        }
        EXPECT_EQ(cut_export(export_content(store), keep), export_content(cut_store)) << keep;
    }
    // Lines of another form, and line ends, pass as they are.
    EXPECT_EQ(cut_export("21;3;5;9;5;75;0891;1234;\r\nkaputt;0891\n;;;;;;0891", 2),
              "21;3;5;9;5;75;08;1234;\r\nkaputt;0891\n;;;;;;0891");
}

TEST(OlderThan, CountsCalendarMonthsBackFromToday) {
    struct Case {
        app::LocalTime date, today;
        int months;
        bool older;
    };
    const Case cases[] = {
        {{2025, 12, 6}, {2026, 12, 7}, 12, true}, {{2025, 12, 7}, {2026, 12, 7}, 12, false},
        {{2026, 2, 27}, {2026, 3, 31}, 1, true},  {{2026, 2, 28}, {2026, 3, 31}, 1, false},
        {{2024, 2, 28}, {2024, 3, 31}, 1, true}, // leap year: back to the 29th
        {{2025, 12, 14}, {2026, 1, 15}, 1, true}, {{2025, 12, 15}, {2026, 1, 15}, 1, false},
        {{2026, 12, 6}, {2026, 12, 7}, 0, true},  {{2026, 12, 7}, {2026, 12, 7}, 0, false},
        {{2027, 1, 1}, {2026, 12, 7}, 0, false},  {{1999, 12, 31}, {2026, 12, 7}, 300, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(older_than(c.date, c.today, c.months), c.older)
            << c.date.year << "-" << c.date.month << "-" << c.date.day << " " << c.months;
}

namespace {
// Writes succeed, but what is read back afterwards differs from what was written, once.
class BadMediaFileSystem : public test::MemoryFileSystem {
public:
    bool write_replacing_keeping_time(const std::string& path, std::string_view content) override {
        if (!test::MemoryFileSystem::write_replacing_keeping_time(path, content)) return false;
        if (corrupt_next) {
            files[path][0] ^= 0x01;
            corrupt_next = false;
        }
        return true;
    }
    bool corrupt_next = false;
};

struct CutArchiveFile : ::testing::Test {
    BadMediaFileSystem fs;
    const std::string gds = "ARCHIV\\2025-01-28_170000.GDS";
    const std::string asc = "ARCHIV\\2025-01-28_170000.ASC";
    std::string old_gds, old_asc, new_gds, new_asc;

    void SetUp() override {
        ChargeStore store;
        test::fill_store(store, {test::charge(0x21, 1, 3, 1234, "0891234567"),
                                 test::charge(0x22, 1, 4, 56, "Privatgespräch")});
        old_gds = test::text_of(test::charge_file({store.record(0), store.record(1)}));
        old_asc = export_content(store);
        fs.files[gds] = old_gds;
        fs.files[asc] = old_asc;
        new_gds = test::text_of(
            *cut_charge_file(test::charge_file({store.record(0), store.record(1)}), 0));
        new_asc = cut_export(old_asc, 0);
        ASSERT_NE(old_asc, new_asc);
    }
};
} // namespace

TEST_F(CutArchiveFile, DryRunNamesBothFilesAndWritesNothing) {
    const CutReport r = cut_archive_file(fs, gds, ArchiveKind::Charges, 0, false);
    EXPECT_EQ(r.result, CutResult::WouldChange);
    EXPECT_EQ(r.changed, (std::vector<std::string>{gds, asc}));
    EXPECT_EQ(fs.writes, 0);
    EXPECT_EQ(fs.files[gds], old_gds);
}

TEST_F(CutArchiveFile, RewritesBothAndASecondRunFindsNothing) {
    EXPECT_EQ(cut_archive_file(fs, gds, ArchiveKind::Charges, 0, true).result,
              CutResult::Rewritten);
    EXPECT_EQ(fs.files[gds], new_gds);
    EXPECT_EQ(fs.files[asc], new_asc);
    EXPECT_EQ(fs.kept_time, fs.writes);
    const int writes = fs.writes;
    const CutReport again = cut_archive_file(fs, gds, ArchiveKind::Charges, 0, true);
    EXPECT_EQ(again.result, CutResult::Unchanged);
    EXPECT_TRUE(again.changed.empty());
    EXPECT_EQ(fs.writes, writes);
    // Cutting to more digits than are left changes nothing either.
    EXPECT_EQ(cut_archive_file(fs, gds, ArchiveKind::Charges, 5, true).result,
              CutResult::Unchanged);
}

TEST_F(CutArchiveFile, AFailedExportLeavesEachFileOldOrNewAndTheNextRunFinishes) {
    fs.unwritable[asc] = true;
    CutReport r = cut_archive_file(fs, gds, ArchiveKind::Charges, 0, true);
    EXPECT_EQ(r.result, CutResult::WriteFailed);
    EXPECT_EQ(r.failed, asc);
    EXPECT_EQ(fs.files[gds], new_gds);
    EXPECT_EQ(fs.files[asc], old_asc);

    fs.unwritable.clear();
    r = cut_archive_file(fs, gds, ArchiveKind::Charges, 0, true);
    EXPECT_EQ(r.result, CutResult::Rewritten);
    EXPECT_EQ(r.changed, std::vector<std::string>{asc});
    EXPECT_EQ(fs.files[asc], new_asc);
}

TEST_F(CutArchiveFile, AFileThatDoesNotReadBackGetsItsOldBytesAgain) {
    fs.corrupt_next = true;
    const CutReport r = cut_archive_file(fs, gds, ArchiveKind::Charges, 0, true);
    EXPECT_EQ(r.result, CutResult::CheckFailed);
    EXPECT_EQ(r.failed, gds);
    EXPECT_TRUE(r.restored);
    EXPECT_EQ(fs.files[gds], old_gds);
    EXPECT_EQ(fs.files[asc], old_asc);
}

TEST_F(CutArchiveFile, WhatIsNoChargeDataOrCannotBeReadIsLeftAlone) {
    fs.files[gds] = "kein Gebührenfile";
    EXPECT_EQ(cut_archive_file(fs, gds, ArchiveKind::Charges, 0, true).result,
              CutResult::NotChargeData);
    EXPECT_EQ(cut_archive_file(fs, "FEHLT.ANR", ArchiveKind::Calls, 0, true).result,
              CutResult::Unreadable);
    EXPECT_EQ(fs.writes, 0);
    EXPECT_EQ(fs.files[asc], old_asc);
}
