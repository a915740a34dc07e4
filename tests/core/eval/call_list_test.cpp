#include <gtest/gtest.h>

#include <memory>

#include "core/eval/call_list.h"
#include "eval_test_util.h"

using namespace kalmo;
using test::call;

namespace {
struct CallListTest : test::EvalTest {

    std::vector<int> repeats() const {
        std::vector<int> r;
        for (std::size_t i = 0; i < calls->count(); ++i)
            r.push_back(calls->repeat[i]);
        return r;
    }
};
} // namespace

TEST_F(CallListTest, ThreeCallsFromOneNumberMakeOneLine) {
    lookup.entries["0891"] = {"Firma", 1};
    test::fill_calls(*calls, {call(0x21, 3, 1, "0891", 8, 0), call(0x22, 3, 2, "0555"),
                              call(0x21, 3, 2, "0891", 9, 15), call(0x23, 3, 5, "0891", 17, 45)});
    eval::group_calls(*calls);
    EXPECT_EQ(repeats(), (std::vector<int>{0, 1, 0, 3}));
    const auto list = eval::fill_call_list(*calls, lookup, now);
    EXPECT_EQ(list.lines, (std::vector<std::string>{
                              "  22 | 02.03.26  10:00 |                     0555 |   1 ",
                              "  23 | 05.03.26  17:45 |                    Firma |   3 "}));
    EXPECT_EQ(list.line_map, (std::vector<std::size_t>{1, 3}));

    // "Statistik": every call of the number in store order, whatever its subscriber.
    EXPECT_EQ(eval::call_statistics_of_line(*calls, list, 1, lookup, now),
              (std::vector<std::string>{"  21 | 01.03.26   8:00 |                    Firma ",
                                        "  21 | 02.03.26   9:15 |                    Firma ",
                                        "  23 | 05.03.26  17:45 |                    Firma "}));
    // A number called once: "Statistik" does nothing; a line that is not there neither.
    EXPECT_TRUE(eval::call_statistics_of_line(*calls, list, 0, lookup, now).empty());
    EXPECT_TRUE(eval::call_statistics_of_line(*calls, list, 2, lookup, now).empty());
}

TEST_F(CallListTest, UnknownNumbersFormOneGroup) {
    test::fill_calls(*calls, {call(0xAA, 3, 1, ""), call(0x00, 3, 2, ""), call(0x21, 3, 3, "1")});
    eval::group_calls(*calls);
    const auto list = eval::fill_call_list(*calls, lookup, now);
    EXPECT_EQ(list.lines, (std::vector<std::string>{
                              "   0 | 02.03.26  10:00 |      Rufnummer unbekannt |   2 ",
                              "  21 | 03.03.26  10:00 |                        1 |   1 "}));
    // The lookup never sees an empty number.
    EXPECT_EQ(lookup.seen, "1;");
    const auto stats = eval::call_statistics_of_line(*calls, list, 0, lookup, now);
    ASSERT_EQ(stats.size(), 2u);
    EXPECT_EQ(stats[0], " AVA | 01.03.26  10:00 |      Rufnummer unbekannt ");
}

TEST_F(CallListTest, EmptyRecordsCountInTheirGroup) {
    test::fill_calls(*calls,
                     {call(0x21, 3, 1, "77"), call(0xFF, 3, 2, "77"), call(0x21, 3, 3, "77"),
                      call(0x21, 3, 4, "88"), call(0xFF, 3, 5, "88")});
    eval::group_calls(*calls);
    EXPECT_EQ(repeats(), (std::vector<int>{0, 0, 3, 0, 2}));
    const auto list = eval::fill_call_list(*calls, lookup, now);
    // 88's last record is empty: the group has no line.
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_EQ(list.lines[0], "  21 | 03.03.26  10:00 |                       77 |   3 ");
    // The statistics test no subscriber: the empty record is listed too.
    const auto stats = eval::call_statistics_of_line(*calls, list, 0, lookup, now);
    ASSERT_EQ(stats.size(), 3u);
    EXPECT_EQ(stats[1].substr(0, 5), "  FF ");
}

TEST_F(CallListTest, GroupingIsRecomputedOnEveryOpening) {
    test::fill_calls(*calls, {call(0x21, 3, 1, "5"), call(0x21, 3, 2, "5")});
    calls->repeat.fill(9);
    eval::group_calls(*calls);
    eval::group_calls(*calls);
    EXPECT_EQ(repeats(), (std::vector<int>{0, 2}));
}

TEST(CallListOpening, AsksToReadWhenEmpty) {
    const app::Message m = eval::no_call_data_question();
    EXPECT_EQ(m.text, "Keine Anrufdaten vorhanden!\nAnrudaten aus TK-Anlage lesen ?");
    EXPECT_EQ(m.caption, std::optional<std::string>("Information"));
    EXPECT_EQ(m.buttons, app::Buttons::YesNo);
}

TEST_F(CallListTest, SpeedDialCodes) {
    test::fill_calls(*calls, {call(0x21, 3, 1, "089123")});
    lookup.entries["089123"] = {"Firma", 1};
    const auto rejected = [&](const std::string& code) {
        const auto r = eval::speed_dial(*calls, 0, code);
        return std::holds_alternative<app::Message>(r) &&
               std::get<app::Message>(r).text == "Kurzwahlkennziffer fehlerhaft";
    };
    for (const char* code : {"99", "300", "", "1a0", "-100", "65636", "999"})
        EXPECT_TRUE(rejected(code)) << code;
    const auto first = eval::speed_dial(*calls, 0, "100");
    ASSERT_TRUE(std::holds_alternative<eval::SpeedDialTarget>(first));
    EXPECT_EQ(std::get<eval::SpeedDialTarget>(first), (eval::SpeedDialTarget{"089123", 0}));
    const auto last = eval::speed_dial(*calls, 0, " 299 ");
    ASSERT_TRUE(std::holds_alternative<eval::SpeedDialTarget>(last));
    EXPECT_EQ(std::get<eval::SpeedDialTarget>(last).index, 199);

    const auto message = std::get<app::Message>(eval::speed_dial(*calls, 0, "99"));
    EXPECT_EQ(message.caption, std::optional<std::string>("Fehler"));
    EXPECT_EQ(message.icon, app::Icon::Warning);
}

TEST_F(CallListTest, SpeedDialNeedsANumberToDial) {
    // The display texts of a private call and of a call without a number are not dial strings:
    // the exchange would keep them as the number to dial.
    data::CallRecord hidden = call(0x21, 3, 1, "");
    hidden.number[0] = data::kPrivateCallMark;
    test::fill_calls(*calls, {hidden, call(0x22, 3, 2, ""), call(0x23, 3, 3, "0891#2")});
    for (std::size_t record : {0u, 1u}) {
        const auto r = eval::speed_dial(*calls, record, "150");
        ASSERT_TRUE(std::holds_alternative<app::Message>(r)) << record;
        EXPECT_EQ(
            std::get<app::Message>(r).text,
            "Keine Rufnummer für dieses Kurzwahlziel\n(Privatgespräch oder Nummer unbekannt)");
    }
    EXPECT_EQ(std::get<eval::SpeedDialTarget>(eval::speed_dial(*calls, 2, "150")).number, "0891#2");
}
