#include <gtest/gtest.h>

#include <memory>

#include "core/eval/project.h"
#include "eval_test_util.h"

using namespace kalmo;
using test::charge;

namespace {
struct ProjectTest : test::EvalTest {
    eval::ProjectNames names;
};
} // namespace

TEST_F(ProjectTest, OnlyDefinedProjectsCanBeChosen) {
    names[0] = "Bau";
    names[9] = "Zehn";
    const auto buttons = eval::project_buttons(names);
    EXPECT_TRUE(buttons[0].enabled);
    EXPECT_EQ(buttons[0].caption, "Bau");
    EXPECT_FALSE(buttons[1].enabled);
    EXPECT_EQ(buttons[1].caption, "Projekt  2");
    EXPECT_EQ(buttons[8].caption, "Projekt  9");
    EXPECT_EQ(buttons[9].caption, "Zehn");
    EXPECT_EQ(eval::project_buttons(eval::ProjectNames{})[9].caption, "Projekt 10");

    EXPECT_EQ(eval::chosen_project(names, 1), std::optional<std::uint8_t>(1));
    EXPECT_EQ(eval::chosen_project(names, 10), std::optional<std::uint8_t>(10));
    EXPECT_FALSE(eval::chosen_project(names, 2));
    EXPECT_FALSE(eval::chosen_project(names, 0));
    EXPECT_FALSE(eval::chosen_project(names, 11));
}

TEST_F(ProjectTest, ListsTheProjectsCallsInTheirRecordYears) {
    names[2] = "Messe";
    lookup.entries["0891"] = {"Halle", 3};
    lookup.entries["0892"] = {"Andere", 4};
    test::fill_store(*store,
                     {charge(0x00, 12, 30, 150, "0891", 9, 5, 61), charge(0x21, 3, 1, 99, "0892"),
                      charge(0x21, 3, 2, 5, "0899"), charge(0xFF, 3, 3, 1, "0891"),
                      charge(0x05, 3, 4, 1000000, "0891", 17, 30, 3600)});
    data::ChargeRecord priv = charge(0x21, 3, 5, 10);
    priv.number = {0xBB};
    store->set_record(5, priv);
    store->set_count(6);
    const auto result = eval::evaluate_project(*store, lookup, names, 3, now);
    EXPECT_FALSE(result.no_data);
    EXPECT_EQ(
        result.lines,
        (std::vector<std::string>{
            "       NN | 30.12.25  9:05 |  0.01:01 |                    Halle |    1,50 DM",
            "        5 | 04.03.26 17:30 |  1.00:00 |                    Halle | 10000,00 DM"}));
    EXPECT_EQ(result.summary_first_line,
              "Summe vom Projekt Messe           vom 30.12.25  9:05 bis  4.03.26 17:30");
    EXPECT_EQ(result.summary_second_line,
              "Summe der Gespräche    2                    Aufgelaufener Betrag "
              "10001,50 DM");
}

TEST_F(ProjectTest, ProjectWithoutCallsReportsItsName) {
    names[1] = "Leer";
    lookup.entries["0891"] = {"Halle", 3};
    test::fill_store(*store, {charge(0x21, 3, 1, 1, "0891"), charge(0x21, 3, 2, 1, "")});
    const auto result = eval::evaluate_project(*store, lookup, names, 2, now);
    EXPECT_TRUE(result.lines.empty());
    ASSERT_TRUE(result.no_data);
    EXPECT_EQ(result.no_data->text, "Keine Gebührendaten für Projekt Leer vorhanden!");
    EXPECT_FALSE(result.no_data->caption);
    EXPECT_EQ(result.no_data->icon, app::Icon::Error);
}
