// Reports over an archive: years from the read dates, duplicates counted once, damaged files
// passed over, totals checked against a sum over the calls the archive was generated from.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "core/app/text.h"
#include "core/eval/report.h"
#include "csv_reader.h"
#include "eval_test_util.h"

using namespace kalmo;
using eval::report::Archive;
using eval::report::By;
using eval::report::FileVerdict;
using eval::report::Month;
using test::charge;

namespace {

TEST(ReportNames, ReadDateFromCollectedFileNames) {
    using eval::report::ReadDate;
    const std::pair<const char*, std::optional<ReadDate>> cases[] = {
        {"2026-01-05_083000.GDS", ReadDate{2026, 1, 5}},
        {"/archiv/2025/2025-12-31_235959.gds", ReadDate{2025, 12, 31}},
        {"C:\\ARCHIV\\2026-03-01_000000.Gds", ReadDate{2026, 3, 1}},
        {"2026-13-01_000000.GDS", std::nullopt},
        {"2026-00-01_000000.GDS", std::nullopt},
        {"2026-01-05_0830.GDS", std::nullopt},
        {"2026-01-05_083000_2.GDS", ReadDate{2026, 1, 5}}, // a second journal in that second
        {"2026-01-05_083000_.GDS", std::nullopt},
        {"2026-01-05_083000x2.GDS", std::nullopt},
        {"2026-01-05_083000.ASC", std::nullopt},
        {"JAN.GDS", std::nullopt},
        {"2026-01-05 083000.GDS", std::nullopt},
    };
    for (const auto& [name, date] : cases)
        EXPECT_EQ(eval::report::read_date_from_name(name), date) << name;
    EXPECT_EQ(eval::report::parse_month("2026-02"), (Month{2026, 2}));
    EXPECT_FALSE(eval::report::parse_month("2026-13"));
    EXPECT_FALSE(eval::report::parse_month("2026-2"));
}

TEST(ReportArchive, DecemberAndJanuaryReadsAndDuplicates) {
    Archive a;
    const auto dec = charge(0x21, 12, 20, 100);
    const auto jan = charge(0x21, 1, 3, 200);
    // Read in January 2026: December is 2025's.
    EXPECT_EQ(a.add_file(test::charge_file({jan, dec}), {2026, 1}), FileVerdict::Read);
    // The journal of the same read and a December read of 2025 hold the same December call.
    EXPECT_EQ(a.add_file(test::charge_file({jan, dec}), {2026, 1}), FileVerdict::Read);
    EXPECT_EQ(a.add_file(test::charge_file({dec}), {2025, 12}), FileVerdict::Read);
    // The same bytes read a year later are another call.
    EXPECT_EQ(a.add_file(test::charge_file({dec, charge(0xFF, 1, 1, 999)}), {2026, 12}),
              FileVerdict::Read);
    EXPECT_EQ(a.files_read(), 4u);
    EXPECT_EQ(a.duplicates(), 3u);
    ASSERT_EQ(a.records().size(), 3u);
    EXPECT_EQ(a.records()[0].year, 2026);
    EXPECT_EQ(a.records()[1].year, 2025);
    EXPECT_EQ(a.records()[2].year, 2026);

    const eval::ProjectNames none;
    const auto by_month = eval::report::summarize(a, By::Month, std::nullopt, std::nullopt,
                                                  phonebook::NoPhonebook(), none);
    ASSERT_EQ(by_month.groups.size(), 3u);
    EXPECT_EQ(by_month.groups[0].label, "12.2025");
    EXPECT_EQ(by_month.groups[1].label, "01.2026");
    EXPECT_EQ(by_month.groups[2].label, "12.2026");
    EXPECT_EQ(by_month.total.pfennig, 400u);
}

TEST(ReportArchive, CallsOfTheSameBytesInOneFileAllCount) {
    // Two calls to one number in one minute for one amount: a file holds them twice. The
    // journal and the save of that read hold them twice each, and a later read overlaps once.
    const auto twice = charge(0x21, 3, 4, 23);
    const auto other = charge(0x22, 3, 4, 50);
    Archive a;
    a.add_file(test::charge_file({twice, other, twice}), {2026, 3});
    EXPECT_EQ(a.records().size(), 3u);
    a.add_file(test::charge_file({twice, twice, other}), {2026, 3});
    a.add_file(test::charge_file({twice}), {2026, 3});
    EXPECT_EQ(a.records().size(), 3u);
    EXPECT_EQ(a.duplicates(), 4u);
    // A third in the later file is one more call.
    a.add_file(test::charge_file({twice, twice, twice}), {2026, 3});
    EXPECT_EQ(a.records().size(), 4u);
    EXPECT_EQ(a.duplicates(), 6u);
}

TEST(ReportArchive, TheReadDayDecidesTheYearOfTheReadMonth) {
    // Read on 10 January 2026: 5 January is this year's, 20 January last year's, the same as a
    // record of February would be; the read day itself is this year's.
    Archive a;
    a.add_file(test::charge_file({charge(0x21, 1, 5, 1), charge(0x21, 1, 20, 2),
                                  charge(0x21, 1, 10, 3), charge(0x21, 2, 1, 4)}),
               eval::report::ReadDate{2026, 1, 10});
    ASSERT_EQ(a.records().size(), 4u);
    EXPECT_EQ(a.records()[0].year, 2026);
    EXPECT_EQ(a.records()[1].year, 2025);
    EXPECT_EQ(a.records()[2].year, 2026);
    EXPECT_EQ(a.records()[3].year, 2025);
    // A read known only by its month keeps the whole month in its year.
    Archive b;
    b.add_file(test::charge_file({charge(0x21, 1, 31, 1)}), Month{2026, 1});
    EXPECT_EQ(b.records()[0].year, 2026);
}

TEST(ReportArchive, DamagedFilesAreTakenAsFarAsTheyGo) {
    Archive a;
    auto good = test::charge_file({charge(0x21, 3, 1, 100)});
    std::vector<std::uint8_t> foreign = good;
    foreign[30] = '2';
    EXPECT_EQ(a.add_file(foreign, {2026, 3}), FileVerdict::NotChargeData);
    EXPECT_EQ(a.add_file({good.data(), 20}, {2026, 3}), FileVerdict::NotChargeData);
    // Three records claimed, one held.
    EXPECT_EQ(a.add_file(test::charge_file({charge(0x22, 3, 2, 50)}, 3), {2026, 3}),
              FileVerdict::Incomplete);
    EXPECT_EQ(a.add_file(good, {2026, 3}), FileVerdict::Read);
    EXPECT_EQ(a.files_read(), 2u);
    EXPECT_EQ(a.records().size(), 2u);
}

// An archive generated from a known set of calls: monthly reads over two years, each file
// holding the last three months (the exchange was not always emptied), every fourth read saved
// twice. Every total must equal the sum over the calls themselves.
struct GeneratedArchive : ::testing::Test {
    struct Call {
        data::ChargeRecord record;
        Month month;
    };
    std::vector<Call> calls;
    Archive archive;
    test::MapLookup lookup;
    eval::ProjectNames projects;
    std::size_t files = 0;

    void SetUp() override {
        lookup.entries["0891"] = {"Kunde", 2};
        lookup.entries["0892"] = {"Lieferant", 7};
        projects[1] = "Kunden";
        std::mt19937 rng(11);
        const char* numbers[] = {"0891", "0892", "0123", ""};
        for (int i = 0; i < 3000; ++i) {
            const Month m{2025 + i / 1500, 1 + (i / 125) % 12};
            auto r =
                charge(static_cast<std::uint8_t>(rng() % 40), static_cast<std::uint8_t>(m.month),
                       static_cast<std::uint8_t>(1 + i % 28),
                       static_cast<std::uint32_t>(rng() % 100000) + 0xFFFF0000u, numbers[rng() % 4],
                       static_cast<std::uint8_t>(i % 24), static_cast<std::uint8_t>(i / 24 % 60),
                       static_cast<std::uint16_t>(rng()));
            calls.push_back({r, m});
        }
        for (int read = 2025 * 12; read < 2027 * 12; ++read) {
            std::vector<data::ChargeRecord> held;
            for (const Call& c : calls)
                if (c.month.index() <= read && c.month.index() > read - 3) held.push_back(c.record);
            const Month month{read / 12, read % 12 + 1};
            const int copies = read % 4 == 0 ? 2 : 1;
            for (int k = 0; k < copies; ++k) {
                EXPECT_EQ(archive.add_file(test::charge_file(held), month), FileVerdict::Read);
                ++files;
            }
        }
    }

    std::map<std::string, eval::report::Totals> expected(By by, std::optional<Month> from,
                                                         std::optional<Month> to) {
        std::map<std::string, eval::report::Totals> sums;
        for (const Call& c : calls) {
            if (from && c.month.index() < from->index()) continue;
            if (to && c.month.index() > to->index()) continue;
            std::string key;
            if (by == By::Subscriber) {
                key = c.record.subscriber == 0 ? "NN"
                                               : app::format("%X", unsigned{c.record.subscriber});
            } else if (by == By::Month) {
                key = app::format("%02d.%04d", c.month.month, c.month.year);
            } else {
                std::string n = data::number_text(c.record.number);
                const auto p = lookup.lookup(n);
                key = p == 2 ? "Kunden" : p == 7 ? "Projekt 7" : eval::report::kNoProject;
            }
            auto& t = sums[key];
            ++t.calls;
            t.seconds += c.record.duration;
            t.pfennig += c.record.amount;
        }
        return sums;
    }
};

TEST_F(GeneratedArchive, TotalsEqualTheSumOverTheCalls) {
    EXPECT_EQ(archive.files_read(), files);
    EXPECT_EQ(archive.records().size(), calls.size());
    const std::optional<Month> none;
    for (const By by : {By::Subscriber, By::Project, By::Month}) {
        for (const auto& [from, to] :
             {std::pair{none, none},
              std::pair{std::optional<Month>({2025, 11}), std::optional<Month>({2026, 2})}}) {
            SCOPED_TRACE(static_cast<int>(by));
            const auto report = eval::report::summarize(archive, by, from, to, lookup, projects);
            const auto want = expected(by, from, to);
            ASSERT_EQ(report.groups.size(), want.size());
            eval::report::Totals sum;
            for (const auto& g : report.groups) {
                const auto it = want.find(g.label);
                ASSERT_NE(it, want.end()) << g.label;
                EXPECT_EQ(g.totals.calls, it->second.calls) << g.label;
                EXPECT_EQ(g.totals.seconds, it->second.seconds) << g.label;
                EXPECT_EQ(g.totals.pfennig, it->second.pfennig) << g.label;
                sum.calls += it->second.calls;
                sum.pfennig += it->second.pfennig;
            }
            EXPECT_EQ(report.total.calls, sum.calls);
            EXPECT_EQ(report.total.pfennig, sum.pfennig);
            // Far beyond 32 bits: the sums are 64-bit.
            EXPECT_GT(report.total.pfennig, 0xFFFFFFFFull);
        }
    }
}

TEST_F(GeneratedArchive, TheTableReadsBackAsTheReport) {
    const auto report = eval::report::summarize(archive, By::Subscriber, std::nullopt, std::nullopt,
                                                lookup, projects);
    const auto rows = test::read_csv(eval::report::report_table(report, By::Subscriber).text());
    ASSERT_EQ(rows.size(), report.groups.size() + 2);
    EXPECT_EQ(rows[0][0], "Teilnehmer");
    for (std::size_t i = 0; i < report.groups.size(); ++i) {
        const auto& g = report.groups[i];
        EXPECT_EQ(rows[i + 1][0], g.label);
        EXPECT_EQ(rows[i + 1][1], std::to_string(g.totals.calls));
        EXPECT_EQ(rows[i + 1][2], std::to_string(g.totals.seconds));
        EXPECT_EQ(rows[i + 1][4], std::to_string(g.totals.pfennig));
        EXPECT_EQ(rows[i + 1][5], std::to_string(g.totals.pfennig / 100) + "," +
                                      app::format("%02u", unsigned(g.totals.pfennig % 100)));
    }
    EXPECT_EQ(rows.back()[0], "Summe");
    EXPECT_EQ(rows.back()[4], std::to_string(report.total.pfennig));
}

} // namespace
