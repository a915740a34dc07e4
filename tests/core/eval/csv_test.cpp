// The spreadsheet tables read back through an independent reader: every value equal to what
// the records hold, whatever the names contain.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "core/app/text.h"
#include "core/eval/csv.h"
#include "csv_reader.h"
#include "eval_test_util.h"

using namespace kalmo;
using test::charge;

namespace {

app::LocalTime march_2026() {
    return app::LocalTime{2026, 3, 20, 12, 0, 0};
}

TEST(CsvCells, QuotingAndCodePage) {
    EXPECT_EQ(eval::csv::quoted("plain text"), "plain text");
    EXPECT_EQ(eval::csv::quoted("a;b"), "\"a;b\"");
    EXPECT_EQ(eval::csv::quoted("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(eval::csv::quoted("two\nlines"), "\"two\nlines\"");
    // ä, €, the undefined 0x81, and ÿ.
    EXPECT_EQ(eval::csv::ansi_to_utf8("\xE4\x80\x81\xFF"),
              "\xC3\xA4\xE2\x82\xAC\xEF\xBF\xBD\xC3\xBF");
    EXPECT_EQ(eval::csv::dm_cell(5), "0,05");
    EXPECT_EQ(eval::csv::dm_cell(0x100000001ull), "42949672,97");
    EXPECT_EQ(eval::csv::duration_cell(3725), "1.02:05");
    EXPECT_EQ(eval::csv::subscriber_cell(0x05), "5");
    EXPECT_EQ(eval::csv::subscriber_cell(0x00), "NN");
}

TEST(CsvCells, NothingRunsAndNoZeroIsLostWhenTheTableOpens) {
    const std::pair<const char*, const char*> cases[] = {
        {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
        {"+49 89", "'+49 89"},
        {"-Rabatt", "'-Rabatt"},
        {"@SUMME(A1)", "'@SUMME(A1)"},
        {"\tTab", "'\tTab"},
        {"0891234", "=\"0891234\""},
        {"0", "0"},
        {"1234", "1234"},
        {"0123456789#", "0123456789#"},
        {"M\xFCller = Chef", "M\xFCller = Chef"},
        {"", ""},
    };
    for (const auto& [cell, written] : cases)
        EXPECT_EQ(eval::csv::spreadsheet_cell(cell), written) << cell;
}

TEST(CsvTables, ChargeRecordsRoundTripWithEveryValueEqual) {
    auto store = std::make_unique<data::ChargeStore>();
    test::MapLookup lookup;
    // Names with the separator, quotes, a line break and an umlaut (Windows-1252 0xFC).
    lookup.entries["0891"] = {"M\xFCller; S\xF6hne", 2};
    lookup.entries["0892"] = {"=\"Die\" Firma", 0};
    lookup.entries["0893"] = {"zwei\r\nZeilen", 10};
    eval::ProjectNames projects;
    projects[1] = "Kunde;A";
    projects[9] = "-Zehn";

    std::mt19937 rng(7);
    const char* numbers[] = {"0891", "0892", "0893", "0123456789#", "", "private"};
    const std::size_t n = 500;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string number = numbers[rng() % 6];
        data::ChargeRecord r = charge(
            static_cast<std::uint8_t>(rng() % 0xFF), static_cast<std::uint8_t>(1 + rng() % 12),
            static_cast<std::uint8_t>(1 + rng() % 31), static_cast<std::uint32_t>(rng()),
            number == "private" ? "" : number, static_cast<std::uint8_t>(rng() % 24),
            static_cast<std::uint8_t>(rng() % 60), static_cast<std::uint16_t>(rng()));
        if (number == "private") r.number[0] = data::kPrivateCallMark;
        store->set_record(i, r);
    }
    store->set_count(n);
    std::vector<std::size_t> every(n);
    for (std::size_t i = 0; i < n; ++i)
        every[i] = i;

    const std::string text =
        eval::csv::charge_table(*store, every, lookup, projects, march_2026()).text();
    const auto rows = test::read_csv(text);
    ASSERT_EQ(rows.size(), n + 1);
    EXPECT_EQ(rows[0].size(), 11u);
    for (std::size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        const data::ChargeRecord r = store->record(i);
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), 11u);
        const std::string number = data::number_text(r.number);
        const auto known = lookup.entries.find(number);
        const unsigned year = r.month > 3 ? 2025 : 2026;
        const unsigned project = known == lookup.entries.end() ? 0 : known->second.second;
        const std::vector<std::string> expected = {
            r.subscriber == 0 ? "NN" : app::format("%X", unsigned{r.subscriber}),
            app::format("%02u.%02u.%u", unsigned{r.day}, unsigned{r.month}, year),
            app::format("%02u:%02u", unsigned{r.hour}, unsigned{r.minute}),
            std::to_string(r.duration),
            app::format("%u.%02u:%02u", r.duration / 3600u, r.duration / 60u % 60u,
                        r.duration % 60u),
            number,
            known == lookup.entries.end() ? "" : known->second.first,
            std::to_string(r.amount),
            std::to_string(r.amount / 100) + "," + app::format("%02u", r.amount % 100),
            project ? std::to_string(project) : "",
            project ? projects[project - 1] : ""};
        for (std::size_t c = 0; c < expected.size(); ++c)
            EXPECT_EQ(row[c], eval::csv::ansi_to_utf8(expected[c])) << "column " << c;
    }
}

TEST(CsvTables, SubscriberAndProjectRecordsAreThoseTheirListsShow) {
    auto store = std::make_unique<data::ChargeStore>();
    test::MapLookup lookup;
    lookup.entries["0891"] = {"Kunde", 3};
    test::fill_store(*store, {charge(0x05, 3, 1, 10, "0891"), charge(0x21, 3, 2, 20, "0891"),
                              charge(0xFF, 3, 3, 30, "0891"), charge(0x05, 3, 4, 40, "0892"),
                              charge(0x00, 3, 5, 50, "0891")});
    EXPECT_EQ(eval::csv::subscriber_records(*store, " 5"), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(eval::csv::subscriber_records(*store, "NN"), (std::vector<std::size_t>{4}));
    EXPECT_EQ(eval::csv::project_records(*store, lookup, 3), (std::vector<std::size_t>{0, 1, 4}));
    EXPECT_EQ(eval::csv::project_records(*store, lookup, 0), (std::vector<std::size_t>{3}));
}

TEST(CsvTables, SubscriberSumsGiveEachCallItsOwnYear) {
    auto store = std::make_unique<data::ChargeStore>();
    test::fill_store(*store, {charge(0x21, 12, 28, 150), charge(0x21, 3, 2, 0xFFFFFFFFu),
                              charge(0x05, 3, 3, 5)});
    eval::SystemChargeList list(*store);
    test::MapLookup lookup;
    eval::open_charge_evaluation(*store);
    list.fill(lookup, march_2026());
    const auto rows =
        test::read_csv(eval::csv::subscriber_sums_table(list.sums(), march_2026()).text());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"21", "28.12.2025", "10:00", "02.03.2026", "10:00",
                                                 "2", "4294967445", "42949674,45"}));
    EXPECT_EQ(rows[2][0], "5");
}

} // namespace
