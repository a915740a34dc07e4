// Numbers shortened by their last digits: every list, table and the call lists show no more
// of a number than the setting allows, while the phonebook still sees the whole number.
#include <gtest/gtest.h>

#include <memory>

#include "core/eval/call_list.h"
#include "core/eval/cells.h"
#include "core/eval/csv.h"
#include "core/eval/project.h"
#include "core/eval/subscriber.h"
#include "eval_test_util.h"

using namespace kalmo;
using test::charge;

TEST(MaskedNumber, LastDigitsOfEveryLengthBecomeStars) {
    const std::string digits = "012345678901234567890123";
    for (std::size_t length = 0; length <= digits.size(); ++length) {
        const std::string number = digits.substr(0, length);
        for (unsigned n = 0; n <= eval::kMaxMaskedDigits; ++n) {
            const std::size_t cut = std::min<std::size_t>(n, length);
            EXPECT_EQ(eval::masked_number(number, n),
                      number.substr(0, length - cut) + std::string(cut, '*'))
                << length << " digits, " << n;
        }
    }
    EXPECT_EQ(eval::masked_number("0891#", 2), "089**");
    EXPECT_EQ(eval::masked_number("#", 6), "*");
    EXPECT_EQ(eval::masked_number("Privatgespräch", 6), "Privatgespräch");
    EXPECT_EQ(eval::masked_number("", 3), "");
}

TEST(MaskedNumber, NamesAreFoundWithTheWholeNumberAndShownWhole) {
    test::MapLookup lookup;
    lookup.entries["0891234"] = {"Halle", 3};
    std::uint8_t project = 0;
    EXPECT_EQ(eval::shown_number("0891234", lookup, 4, &project), "Halle");
    EXPECT_EQ(project, 3);
    EXPECT_EQ(eval::shown_number("0891235", lookup, 4, &project), "089****");
    EXPECT_EQ(project, 0);
    EXPECT_EQ(lookup.seen, "0891234;0891235;");
}

struct MaskTest : test::EvalTest {};

TEST_F(MaskTest, EveryListShowsTheShortenedNumber) {
    lookup.entries["0891"] = {"Halle", 3};
    test::fill_store(*store, {charge(0x21, 3, 1, 100, "0891"), charge(0x21, 3, 2, 200, "0301234"),
                              charge(0x21, 3, 3, 300, "12")});
    data::ChargeRecord priv = charge(0x21, 3, 4, 400);
    priv.number = {0xBB};
    store->set_record(3, priv);
    store->set_count(4);
    store->set_filter_range_from_records();
    eval::open_charge_evaluation(*store);
    eval::SystemChargeList list(*store, app::Currency::DM, 3);
    ASSERT_EQ(list.fill(lookup, now).outcome, eval::FillOutcome::Listed);
    ASSERT_EQ(list.lines().size(), 4u);
    EXPECT_NE(list.lines()[0].find("|                    Halle |"), std::string::npos);
    EXPECT_NE(list.lines()[1].find("|                  0301*** |"), std::string::npos);
    EXPECT_NE(list.lines()[2].find("|                       ** |"), std::string::npos);
    EXPECT_NE(list.lines()[3].find("|           Privatgespräch |"), std::string::npos);

    const auto selected = eval::select_subscriber(eval::subscriber_sums_lines(list.sums()), 0);
    ASSERT_TRUE(selected);
    const auto stats = eval::subscriber_statistics(*store, list.sums(), *selected, lookup, now,
                                                   app::Currency::DM, 3);
    ASSERT_EQ(stats.lines.size(), 4u);
    EXPECT_NE(stats.lines[1].find("|                  0301*** |"), std::string::npos);

    // Projects are found with the whole number.
    eval::ProjectNames names;
    names[2] = "Messe";
    const auto project =
        eval::evaluate_project(*store, lookup, names, 3, now, app::Currency::DM, 3);
    ASSERT_EQ(project.lines.size(), 1u);
    EXPECT_NE(project.lines[0].find("Halle"), std::string::npos);

    const std::string table =
        eval::csv::charge_table(*store, {0, 1, 2, 3}, lookup, names, now, app::Currency::DM, 3)
            .text();
    EXPECT_NE(table.find(";0***;Halle;"), std::string::npos) << table;
    EXPECT_NE(table.find(";0301***;;"), std::string::npos) << table;
    EXPECT_EQ(table.find("0301234"), std::string::npos);
    EXPECT_NE(table.find(";**;;"), std::string::npos) << table;
}

TEST_F(MaskTest, CallListsShortenCallersButNotUnknownOnes) {
    test::fill_calls(*calls, {test::call(0x21, 3, 1, "0301234"), test::call(0x21, 3, 2, ""),
                              test::call(0x21, 3, 3, "0301234")});
    eval::group_calls(*calls);
    const eval::CallList list = eval::fill_call_list(*calls, lookup, now, 2);
    ASSERT_EQ(list.lines.size(), 2u);
    EXPECT_NE(list.lines[0].find("|      Rufnummer unbekannt |"), std::string::npos);
    EXPECT_NE(list.lines[1].find("|                  03012** |"), std::string::npos);
    const auto stats = eval::call_statistics_of_line(*calls, list, 1, lookup, now, 2);
    ASSERT_EQ(stats.size(), 2u);
    EXPECT_NE(stats[0].find("03012**"), std::string::npos);
    const std::string table =
        eval::csv::call_list_table(*calls, list.line_map, lookup, now, 2).text();
    EXPECT_EQ(table.find("0301234"), std::string::npos) << table;
}

// Confidential numbers: neither the number nor the name it is known by, anywhere; the amounts
// and durations still in every total and in the number's project.
TEST_F(MaskTest, ConfidentialNumbersShowNeitherNumberNorName) {
    const data::ConfidentialNumbers secret = data::ConfidentialNumbers::parse("0891\n0555\n");
    lookup.entries["08912"] = {"Betriebsrat", 3};
    test::fill_store(*store, {charge(0x21, 3, 1, 100, "08912"), charge(0x21, 3, 2, 200, "0301234"),
                              charge(0x21, 3, 3, 300, "05551")});
    eval::open_charge_evaluation(*store);
    const eval::NumberPrivacy privacy(2, &secret);
    eval::SystemChargeList list(*store, app::Currency::DM, privacy);
    ASSERT_EQ(list.fill(lookup, now).outcome, eval::FillOutcome::Listed);
    ASSERT_EQ(list.lines().size(), 3u);
    EXPECT_NE(list.lines()[0].find("|              vertraulich |    1,00 DM"), std::string::npos);
    EXPECT_NE(list.lines()[1].find("|                  03012** |"), std::string::npos);
    EXPECT_NE(list.lines()[2].find("|              vertraulich |    3,00 DM"), std::string::npos);
    EXPECT_EQ(list.sums()[0].amount_sum, 600u);

    const auto selected = eval::select_subscriber(eval::subscriber_sums_lines(list.sums()), 0);
    ASSERT_TRUE(selected);
    const auto stats = eval::subscriber_statistics(*store, list.sums(), *selected, lookup, now,
                                                   app::Currency::DM, privacy);
    ASSERT_EQ(stats.lines.size(), 3u);
    EXPECT_NE(stats.lines[0].find("vertraulich"), std::string::npos);
    EXPECT_EQ(stats.lines[0].find("Betriebsrat"), std::string::npos);

    eval::ProjectNames names;
    names[2] = "Gremien";
    const auto project =
        eval::evaluate_project(*store, lookup, names, 3, now, app::Currency::DM, privacy);
    ASSERT_EQ(project.lines.size(), 1u);
    EXPECT_NE(project.lines[0].find("vertraulich"), std::string::npos);
    EXPECT_EQ(project.lines[0].find("Betriebsrat"), std::string::npos);

    const std::string table =
        eval::csv::charge_table(*store, {0, 1, 2}, lookup, names, now, app::Currency::DM, privacy)
            .text();
    EXPECT_NE(table.find(";vertraulich;vertraulich;100;1,00;3;Gremien"), std::string::npos)
        << table;
    EXPECT_NE(table.find(";vertraulich;;300;"), std::string::npos) << table;
    for (const char* leak : {"08912", "05551", "Betriebsrat"})
        EXPECT_EQ(table.find(leak), std::string::npos) << leak;
}

TEST_F(MaskTest, ConfidentialCallersNeverShowInTheCallList) {
    const data::ConfidentialNumbers secret = data::ConfidentialNumbers::parse("0891\n");
    test::fill_calls(*calls, {test::call(0x21, 3, 1, "08911"), test::call(0x21, 3, 2, "0301"),
                              test::call(0x21, 3, 3, "08912")});
    eval::group_calls(*calls);
    const eval::NumberPrivacy privacy(0, &secret);
    const eval::CallList list = eval::fill_call_list(*calls, lookup, now, privacy);
    ASSERT_EQ(list.lines.size(), 3u);
    std::string all;
    for (const std::string& l : list.lines)
        all += l + "\n";
    EXPECT_NE(all.find("|              vertraulich |"), std::string::npos) << all;
    EXPECT_EQ(all.find("0891"), std::string::npos) << all;
    const std::string table =
        eval::csv::call_list_table(*calls, list.line_map, lookup, now, privacy).text();
    EXPECT_EQ(table.find("0891"), std::string::npos) << table;
}
