#include <gtest/gtest.h>

#include <memory>

#include "core/eval/cells.h"
#include "core/eval/charge_list.h"
#include "eval_test_util.h"

using namespace kalmo;
using eval::FillOutcome;
using eval::SystemChargeList;
using test::charge;

namespace {
app::LocalTime day(int year, int month, int d) {
    return app::LocalTime{year, month, d, 12, 0, 0};
}

struct ChargeListTest : test::EvalTest {

    // Opens the list as the evaluation does: years and minimum worked out afresh.
    eval::FillResult open(SystemChargeList& list) {
        eval::open_charge_evaluation(*store);
        return list.fill(lookup, now);
    }
    // Confirms the filter dialog with its opening texts changed by `edit`.
    template <class Edit>
    std::optional<eval::FillResult> filter(SystemChargeList& list, Edit edit) {
        eval::FilterForm::Fields f = list.filter_dialog_texts();
        edit(f);
        EXPECT_FALSE(list.filter_dialog_ok(f));
        return list.refill_after_filter_dialog(lookup, now);
    }
    // The lines listed over `records` once the filter dialog was confirmed changed by `edit`.
    template <class Edit>
    std::vector<std::string> listed_after_filter(std::initializer_list<data::ChargeRecord> records,
                                                 Edit edit) {
        test::fill_store(*store, records);
        SystemChargeList list(*store);
        open(list);
        filter(list, edit);
        return list.lines();
    }
};
} // namespace

TEST(ChargeListLine, WorkedExample) {
    const data::ChargeRecord r = charge(0x21, 3, 14, 1234, "0123456789", 9, 5, 3725);
    EXPECT_EQ(eval::charge_list_line(r, 96, "0123456789"),
              "  21 | 14.03.96  9:05 |  1.02:05 |               0123456789 |   12,34 DM");
}

TEST(ChargeListLine, DurationsAmountsAndYears) {
    EXPECT_EQ(eval::charge_list_line(charge(0x05, 1, 2, 5, "", 0, 0, 59), 126, ""),
              "   5 | 02.01.26  0:00 |  0.00:59 |                          |    0,05 DM");
    EXPECT_EQ(eval::charge_list_line(charge(0, 12, 31, 0, "", 23, 59, 3600), 99, "x"),
              "  NN | 31.12.99 23:59 |  1.00:00 |                        x |    0,00 DM");
    // 65535 seconds: 18 hours, 12 minutes, 15 seconds.
    EXPECT_NE(eval::charge_list_line(charge(0x21, 1, 1, 0, "", 0, 0, 65535), 126, "")
                  .find("| 18.12:15 |"),
              std::string::npos);
}

TEST(ChargeListLine, YearsShowTheirLastTwoDigitsInTheLinesFormat) {
    // 2000 and 2005 in a line's "%02d" and a summary's "%2d"; 2155 is the last year a filter holds.
    const std::pair<unsigned, const char*> dates[] = {{100, "02.01.00"},
                                                      {105, "02.01.05"},
                                                      {126, "02.01.26"},
                                                      {199, "02.01.99"},
                                                      {255, "02.01.55"}};
    for (const auto& [year, text] : dates)
        EXPECT_EQ(eval::line_date(2, 1, year), text) << year;
    EXPECT_EQ(eval::line_stamp(1, 3, 105, 9, 5), " 1.03. 5  9:05");
    EXPECT_EQ(eval::line_stamp(31, 12, 199, 23, 59), "31.12.99 23:59");
}

TEST(ChargeListLine, LargeAmountsWidenTheDmField) {
    // 7,000,000 Pfennig is 70,000.00 DM, not the 4,464.00 DM of a 16-bit quotient.
    const std::string line = eval::charge_list_line(charge(0x21, 1, 1, 7000000), 126, "1");
    EXPECT_EQ(line.substr(line.size() - 13), "| 70000,00 DM");
    const std::string max = eval::charge_list_line(charge(0x21, 1, 1, 0xFFFFFFFF), 126, "1");
    EXPECT_EQ(max.substr(max.size() - 16), "| 42949672,95 DM");
}

TEST_F(ChargeListTest, FillListsTheStoreWithSummaries) {
    now = day(1996, 3, 20);
    test::fill_store(*store, {charge(0x21, 3, 14, 1234, "0123456789", 9, 5, 3725),
                              charge(0xFF, 3, 14, 999, "1"), charge(0x00, 3, 15, 5, "", 10, 0, 59),
                              charge(0x05, 3, 16, 100, "089", 11, 30, 3600)});
    store->set_filter_range_from_records();
    SystemChargeList list(*store);
    const auto result = open(list);
    EXPECT_EQ(result.outcome, FillOutcome::Listed);
    EXPECT_FALSE(result.message);
    EXPECT_EQ(list.lines(),
              (std::vector<std::string>{
                  "  21 | 14.03.96  9:05 |  1.02:05 |               0123456789 |   12,34 DM",
                  "  NN | 15.03.96 10:00 |  0.00:59 |                          |    0,05 DM",
                  "   5 | 16.03.96 11:30 |  1.00:00 |                      089 |    1,00 DM"}));
    EXPECT_EQ(list.summary_first_line(),
              "Anlagengebührensumme                      vom 14.03.96  9:05 "
              "bis 16.03.96 11:30");
    EXPECT_EQ(list.summary_second_line(),
              "Summe der Gespräche     3                 Aufgelaufener Betrag   13,39 DM");
    EXPECT_EQ(list.totals().call_count, 3);
    EXPECT_EQ(list.totals().listed, 3);
    EXPECT_FALSE(list.totals().rejected);
}

TEST_F(ChargeListTest, NumbersPassThroughTheLookup) {
    lookup.entries["089123456"] = {"Bäckerei", 2};
    test::fill_store(*store, {charge(0x21, 3, 1, 10, "089123456"), charge(0x21, 3, 2, 10, ""),
                              charge(0x21, 3, 3, 10, "0")});
    data::ChargeRecord priv = charge(0x21, 3, 4, 10);
    priv.number = {0xBB, 0x12, 0x34};
    store->set_record(3, priv);
    store->set_count(4);
    store->set_filter_range_from_records();
    SystemChargeList list(*store);
    open(list);
    ASSERT_EQ(list.lines().size(), 4u);
    EXPECT_NE(list.lines()[0].find("|                 Bäckerei |"), std::string::npos);
    EXPECT_NE(list.lines()[3].find("|           Privatgespräch |"), std::string::npos);
    EXPECT_EQ(lookup.seen, "089123456;;0;Privatgespräch;");
}

TEST_F(ChargeListTest, LargeTotalsWidenTheSummary) {
    test::fill_store(*store, {charge(0x21, 3, 1, 4000000), charge(0x21, 3, 2, 3000000)});
    SystemChargeList list(*store);
    open(list);
    EXPECT_EQ(list.summary_second_line(),
              "Summe der Gespräche     2                 Aufgelaufener Betrag 70000,00 DM");
    EXPECT_EQ(list.totals().amount_total, 7000000u);
}

TEST_F(ChargeListTest, MinimumIsInclusive) {
    test::fill_store(*store,
                     {charge(0x21, 3, 1, 505), charge(0x21, 3, 2, 504), charge(0x21, 3, 3, 506)});
    SystemChargeList list(*store);
    open(list);
    EXPECT_EQ(list.lines().size(), 3u);
    const auto refilled = filter(list, [](auto& f) {
        f.dm = "5";
        f.pf = "5";
    });
    ASSERT_TRUE(refilled);
    EXPECT_EQ(refilled->outcome, FillOutcome::Listed);
    ASSERT_EQ(list.lines().size(), 2u);
    EXPECT_NE(list.lines()[0].find("01.03.26"), std::string::npos);
    EXPECT_NE(list.lines()[1].find("03.03.26"), std::string::npos);
    EXPECT_TRUE(list.totals().rejected);
    EXPECT_EQ(store->filter.minimum_amount, 505u);
    // Totals cover every record, listed or not.
    EXPECT_EQ(list.totals().call_count, 3);
    EXPECT_EQ(list.totals().amount_total, 1515u);
}

TEST_F(ChargeListTest, RecordsOnTheFromAndToDatesAreListed) {
    const auto lines = listed_after_filter(
        {charge(0x21, 3, 1), charge(0x21, 3, 5), charge(0x21, 3, 9), charge(0x21, 3, 10)},
        [](auto& f) {
            f.from_day = "5";
            f.to_day = "9";
        });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("05.03.26"), std::string::npos);
    EXPECT_NE(lines[1].find("09.03.26"), std::string::npos);
}

TEST_F(ChargeListTest, ThirtyFirstOfJanuaryAdmitsFirstOfFebruary) {
    const auto lines = listed_after_filter(
        {charge(0x21, 1, 30), charge(0x21, 2, 1), charge(0x21, 2, 2)}, [](auto& f) {
            f.to_day = "31";
            f.to_month = "1";
        });
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(ChargeListTest, DecemberReadInMarchBelongsToLastYear) {
    test::fill_store(*store, {charge(0x21, 12, 28), charge(0x21, 1, 5), charge(0x21, 3, 2)});
    SystemChargeList list(*store);
    open(list);
    EXPECT_EQ(store->filter.from_year, 125);
    EXPECT_EQ(store->filter.to_year, 126);
    ASSERT_EQ(list.lines().size(), 3u);
    EXPECT_NE(list.lines()[0].find("28.12.25"), std::string::npos);
    EXPECT_NE(list.lines()[1].find("05.01.26"), std::string::npos);
    EXPECT_NE(list.summary_first_line().find("vom 28.12.25 10:00 bis  2.03.26 10:00"),
              std::string::npos);
}

TEST_F(ChargeListTest, DecemberAndJanuaryEvaluatedInJanuary) {
    now = day(2026, 1, 10);
    // The exchange sort puts January first: the default range runs from the first January
    // record to the last December date of the current year.
    test::fill_store(*store, {charge(0x21, 1, 3, 100), charge(0x21, 1, 8, 200),
                              charge(0x22, 12, 20, 400), charge(0x22, 12, 30, 800)});
    SystemChargeList list(*store);
    const auto result = open(list);
    EXPECT_EQ(result.outcome, FillOutcome::Listed);
    EXPECT_EQ(store->filter.from_year, 126);
    EXPECT_EQ(list.lines().size(), 2u);
    EXPECT_TRUE(list.totals().rejected);
    EXPECT_EQ(list.totals().call_count, 4);
    EXPECT_EQ(list.totals().amount_total, 1500u);
    EXPECT_EQ(list.sums()[1].subscriber, 0x22);
    EXPECT_EQ(list.sums()[1].first_year, 125u);
    // December's last call is last year's too, not the year the list is shown in.
    EXPECT_EQ(list.sums()[1].last_year, 125u);
    EXPECT_EQ(list.summary_first_line(),
              "Anlagengebührensumme                      vom  3.01.26 10:00 bis 30.12.25 10:00");

    // Typing "2025" in the from year lists December under last year's date.
    const auto all = filter(list, [](auto& f) {
        f.from_day = "1";
        f.from_month = "12";
        f.from_year = "2025";
    });
    ASSERT_TRUE(all);
    ASSERT_EQ(list.lines().size(), 4u);
    EXPECT_EQ(list.lines()[3],
              "  22 | 30.12.25 10:00 |  0.01:00 |                     0123 |    8,00 DM");
}

TEST_F(ChargeListTest, TypedTwoDigitYearKeepsTheRecords) {
    // The year field once took "26" as 1926 and emptied the list.
    const auto lines = listed_after_filter({charge(0x21, 3, 1), charge(0x21, 3, 5)}, [](auto& f) {
        f.from_year = "26";
        f.to_year = "26";
    });
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(ChargeListTest, NothingListedAsksOrReports) {
    // A file in an order that makes the default range empty.
    test::fill_store(*store, {charge(0x21, 3, 10), charge(0x21, 3, 2)});
    SystemChargeList list(*store);
    auto result = open(list);
    EXPECT_EQ(result.outcome, FillOutcome::AskFilter);
    ASSERT_TRUE(result.message);
    EXPECT_EQ(result.message->text,
              "Alle Datensätze außerhalb des Filterbreiches\nFilter neu definieren ?");
    EXPECT_EQ(result.message->caption, std::optional<std::string>("Information"));
    EXPECT_EQ(result.message->buttons, app::Buttons::YesNo);
    EXPECT_TRUE(list.summary_first_line().empty());
    // Yes and an unchanged dialog: the list stays open and empty.
    EXPECT_FALSE(list.refill_after_filter_dialog(lookup, now));

    test::fill_store(*store, {charge(0xFF, 3, 10), charge(0xFF, 3, 2)});
    result = open(list);
    EXPECT_EQ(result.outcome, FillOutcome::NoChargeData);
    ASSERT_TRUE(result.message);
    EXPECT_EQ(result.message->text, "Keine Gebührendaten vorhanden!");
    EXPECT_EQ(result.message->caption, std::optional<std::string>("Fehler"));
    EXPECT_EQ(list.totals().call_count, 0);
}

TEST_F(ChargeListTest, RefillOnlyWhenKeysOrMinimumChange) {
    test::fill_store(*store, {charge(0x21, 3, 1, 50), charge(0x21, 3, 31, 60)});
    SystemChargeList list(*store);
    open(list);
    const int lookups = lookup.calls;
    // Closed with the close box, or confirmed unchanged: nothing happens.
    EXPECT_FALSE(list.refill_after_filter_dialog(lookup, now));
    EXPECT_FALSE(filter(list, [](auto&) {}));
    // Another date with the same key (31 March is 1 April) changes nothing either.
    EXPECT_FALSE(filter(list, [](auto& f) {
        f.to_day = "1";
        f.to_month = "4";
    }));
    EXPECT_EQ(lookup.calls, lookups);
    EXPECT_EQ(store->filter.to_month, 4); // but the dates are stored

    const auto changed = filter(list, [](auto& f) { f.pf = "60"; });
    ASSERT_TRUE(changed);
    EXPECT_EQ(list.lines().size(), 1u);
    // Summary texts stay from the last fill that listed something.
    const std::string summary = list.summary_first_line();
    const auto none = filter(list, [](auto& f) { f.dm = "1"; });
    ASSERT_TRUE(none);
    EXPECT_EQ(none->outcome, FillOutcome::AskFilter);
    EXPECT_EQ(list.summary_first_line(), summary);
    EXPECT_TRUE(list.lines().empty());

    // A failed check stores nothing.
    eval::FilterForm::Fields bad = list.filter_dialog_texts();
    bad.from_month = "13";
    bad.dm = "0";
    ASSERT_TRUE(list.filter_dialog_ok(bad));
    EXPECT_EQ(list.entered_minimum(), 160u);

    // Reopening the evaluation resets the years and both minimums.
    open(list);
    EXPECT_EQ(store->filter.minimum_amount, 0u);
    EXPECT_EQ(list.entered_minimum(), 0u);
    EXPECT_EQ(list.lines().size(), 2u);
}

TEST_F(ChargeListTest, SubscriberSumsInFirstOccurrenceOrder) {
    test::fill_store(*store, {charge(0x21, 3, 1, 100, "1", 8, 15), charge(0x00, 3, 2, 7),
                              charge(0x21, 3, 4, 250, "1", 17, 45), charge(0xFF, 3, 5, 9)});
    SystemChargeList list(*store);
    open(list);
    const eval::SubscriberSum& a = list.sums()[0];
    EXPECT_EQ(a.subscriber, 0x21);
    EXPECT_EQ(a.amount_sum, 350u);
    EXPECT_EQ(a.call_count, 2);
    EXPECT_EQ(a.first_day, 1u);
    EXPECT_EQ(a.first_hour, 8u);
    EXPECT_EQ(a.first_minute, 15u);
    EXPECT_EQ(a.last_day, 4u);
    EXPECT_EQ(a.last_hour, 17u);
    EXPECT_EQ(a.last_minute, 45u);
    EXPECT_EQ(list.sums()[1].subscriber, 0x00);
    EXPECT_TRUE(list.sums()[2].free());
}

TEST_F(ChargeListTest, EverySubscriberValueGetsItsOwnSum) {
    // 0x00 to 0xFE: every subscriber byte a non-empty record can carry, then each once more.
    const std::size_t values = 255;
    for (std::size_t i = 0; i < 2 * values; ++i)
        store->set_record(i, charge(static_cast<std::uint8_t>(i % values), 3, 1 + i / values, 100));
    store->set_count(static_cast<std::uint16_t>(2 * values));
    store->set_filter_range_from_records();
    SystemChargeList list(*store);
    open(list);
    EXPECT_EQ(list.totals().call_count, 2 * values);
    std::uint64_t summed = 0;
    for (std::size_t i = 0; i < values; ++i) {
        const eval::SubscriberSum& s = list.sums()[i];
        EXPECT_EQ(s.subscriber, i);
        EXPECT_EQ(s.call_count, 2);
        summed += s.amount_sum;
    }
    EXPECT_EQ(summed, list.totals().amount_total);
}

TEST_F(ChargeListTest, TotalsDoNotWrapAtThirtyTwoBits) {
    test::fill_store(*store, {charge(0x21, 3, 1, 0xFFFFFFFFu), charge(0x21, 3, 2, 2)});
    SystemChargeList list(*store);
    ASSERT_EQ(open(list).outcome, FillOutcome::Listed);
    EXPECT_EQ(list.totals().amount_total, 0x100000001ull);
    EXPECT_EQ(list.sums()[0].amount_sum, 0x100000001ull);
    EXPECT_NE(list.summary_second_line().find("42949672,97 DM"), std::string::npos);
}
