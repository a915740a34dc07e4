#include <gtest/gtest.h>

#include <memory>

#include "core/eval/subscriber.h"
#include "eval_test_util.h"

using namespace kalmo;
using test::charge;

namespace {
struct SubscriberTest : test::EvalTest {
    eval::SystemChargeList list{*store};

    void open() {
        eval::open_charge_evaluation(*store);
        list.fill(lookup, now);
    }
    eval::SubscriberStatistics statistics_of(std::size_t line) {
        const auto lines = eval::subscriber_sums_lines(list.sums());
        const auto selected = eval::select_subscriber(lines, line);
        EXPECT_TRUE(selected);
        return eval::subscriber_statistics(*store, list.sums(), *selected, lookup, now);
    }
};
} // namespace

TEST_F(SubscriberTest, SumsLinesInTableOrder) {
    test::fill_store(*store, {charge(0x21, 12, 30, 123456, "1", 9, 5), charge(0x05, 3, 1, 5, "2"),
                              charge(0x21, 3, 2, 44, "3", 18, 7), charge(0x00, 3, 3, 100, "4")});
    open();
    EXPECT_EQ(eval::subscriber_sums_lines(list.sums()),
              (std::vector<std::string>{
                  " 21 | 30.12.25  9:05 |  2.03.26 18:07 |    2 |      1235,00 DM ",
                  "  5 |  1.03.26 10:00 |  1.03.26 10:00 |    1 |         0,05 DM ",
                  " NN |  3.03.26 10:00 |  3.03.26 10:00 |    1 |         1,00 DM "}));
}

TEST_F(SubscriberTest, NoSumsGiveNoLines) {
    eval::SubscriberSumTable empty{};
    EXPECT_EQ(eval::subscriber_sums_in_use(empty), 0u);
    EXPECT_TRUE(eval::subscriber_sums_lines(empty).empty());
    EXPECT_FALSE(eval::select_subscriber({}, 0));
    EXPECT_FALSE(eval::select_subscriber({" 21 | x"}, std::nullopt));
}

TEST_F(SubscriberTest, SeventySubscribersAllHaveALine) {
    for (int i = 0; i < 70; ++i)
        store->set_record(static_cast<std::size_t>(i),
                          charge(static_cast<std::uint8_t>(i + 1), 3, 1));
    store->set_count(70);
    store->set_filter_range_from_records();
    open();
    const auto lines = eval::subscriber_sums_lines(list.sums());
    ASSERT_EQ(lines.size(), 70u);
    EXPECT_EQ(lines.back().substr(0, 4), " 46 ");
}

TEST_F(SubscriberTest, StatisticsOfNnListExactlyThoseRecords) {
    lookup.entries["0891"] = {"Firma", 1};
    test::fill_store(*store,
                     {charge(0x21, 3, 1, 100, "0891"), charge(0x00, 12, 2, 250, "0891", 8, 3, 75),
                      charge(0xFF, 3, 3, 999, "5"), charge(0x00, 3, 4, 7, "", 9, 0, 3600),
                      charge(0x21, 3, 5, 1, "7")});
    open();
    const auto stats = statistics_of(1);
    EXPECT_EQ(stats.summary_first_line,
              "Summe von Teilnehmer NN      vom  2.12.25  8:03 bis  4.03.26  9:00");
    EXPECT_EQ(stats.summary_second_line,
              "Summe der Gespräche   2      Aufgelaufener Betrag    2,57 DM");
    // December's call, listed in March, is last year's.
    EXPECT_EQ(stats.lines,
              (std::vector<std::string>{
                  "   02.12.25  8:03 |  0.01:15 |                    Firma |    2,50 DM",
                  "   04.03.26  9:00 |  1.00:00 |                          |    0,07 DM"}));
}

TEST_F(SubscriberTest, StatisticsIgnoreTheFilter) {
    test::fill_store(*store,
                     {charge(0x05, 3, 1, 1), charge(0x05, 3, 2, 1000), charge(0x50, 3, 3, 1)});
    open();
    eval::FilterForm::Fields f = list.filter_dialog_texts();
    f.dm = "5";
    ASSERT_FALSE(list.filter_dialog_ok(f));
    ASSERT_TRUE(list.refill_after_filter_dialog(lookup, now));
    EXPECT_EQ(list.lines().size(), 1u);
    const auto stats = statistics_of(0);
    EXPECT_EQ(stats.lines.size(), 2u);
    EXPECT_EQ(stats.summary_first_line.substr(0, 23), "Summe von Teilnehmer  5");
}

TEST_F(SubscriberTest, LargeSumsAndCountsWiden) {
    for (std::size_t i = 0; i < 1000; ++i)
        store->set_record(i, charge(0x21, 3, 1, 7000));
    store->set_count(1000);
    store->set_filter_range_from_records();
    open();
    const auto stats = statistics_of(0);
    EXPECT_EQ(stats.summary_second_line,
              "Summe der Gespräche 1000      Aufgelaufener Betrag 70000,00 DM");
    EXPECT_EQ(eval::subscriber_sums_lines(list.sums())[0],
              " 21 |  1.03.26 10:00 |  1.03.26 10:00 | 1000 |      70000,00 DM ");
}
