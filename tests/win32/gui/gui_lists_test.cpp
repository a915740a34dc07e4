// The evaluation lists driven from outside under Wine: the charge list against the core's own
// lines, the filter dialog, subscriber sums and statistics, the project choice without a
// phonebook, and the call list with its statistics and speed-dial check against the simulated
// exchange.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "win32/resource.h"
#include "core/data/charge.h"
#include "core/eval/charge_list.h"
#include "core/eval/subscriber.h"
#include "core/phonebook/lookup.h"
#include "driver.h"
#include "gui_fixture.h"
#include "win32/controls.h"

namespace kalmo::gui {
namespace {

// A dialog is found while its opening still fills it: wait for a field to be filled first.
bool filled(HWND dlg, int id) {
    return wait_for([&] { return !field(dlg, id).empty(); });
}

app::LocalTime local_now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Records of the first days of the current month (so they belong to this year whatever the
// month): subscribers 21, 5 and 0, one without a number.
std::unique_ptr<data::ChargeStore> sample_store() {
    auto store = std::make_unique<data::ChargeStore>();
    const auto month = static_cast<std::uint8_t>(local_now().month);
    struct Row {
        std::uint8_t subscriber, day, hour, minute;
        std::uint16_t duration;
        std::uint32_t amount;
        std::uint8_t number0;
    };
    const Row rows[] = {
        {0x21, 1, 9, 5, 3725, 1234, 0x01}, {0x05, 1, 10, 0, 59, 5, 0x08},
        {0x21, 2, 11, 30, 3600, 46, 0x02}, {0x00, 3, 12, 0, 95, 120, 0xF0},
        {0x05, 4, 13, 15, 10, 300, 0x03},
    };
    store->set_count(static_cast<std::uint16_t>(std::size(rows)));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        data::ChargeRecord r;
        r.subscriber = rows[i].subscriber;
        r.month = month;
        r.day = rows[i].day;
        r.hour = rows[i].hour;
        r.minute = rows[i].minute;
        r.duration = rows[i].duration;
        r.amount = rows[i].amount;
        r.number.fill(0xFF);
        r.number[0] = rows[i].number0;
        r.number[1] = 0x23;
        r.number[2] = 0x45;
        r.number[3] = 0x6F;
        store->set_record(i, r);
    }
    store->set_filter_range_from_records();
    return store;
}

std::string file_bytes(data::ChargeStore& store) {
    const auto image = store.save_image();
    return std::string(image.begin(), image.end());
}

class GuiLists : public GuiTest {
protected:
    // Starts the program with the sample charge file loaded through "&Öffnen".
    std::unique_ptr<Program> with_charges() {
        const std::string gds = dir.file("Mon.GDS");
        EXPECT_TRUE(write_file(gds, file_bytes(*sample_store())));
        auto p = std::make_unique<Program>(dir.path());
        if (!p->main()) return p;
        EXPECT_TRUE(open_charge_file(*p, gds));
        return p;
    }
};

TEST_F(GuiLists, ChargeEvaluationShowsTheCoresLinesSummariesAndSubscriberDialogs) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    HWND list = p->open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);

    auto store = sample_store();
    eval::open_charge_evaluation(*store);
    eval::SystemChargeList expected(*store);
    ASSERT_EQ(expected.fill(phonebook::NoPhonebook(), local_now()).outcome,
              eval::FillOutcome::Listed);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(list, IDC_CHARGE_LIST)).empty(); }));
    ASSERT_TRUE(filled(list, IDC_CHARGE_SUMMARY2));
    EXPECT_EQ(list_lines(GetDlgItem(list, IDC_CHARGE_LIST)), expected.lines());
    EXPECT_EQ(window_text(GetDlgItem(list, IDC_CHARGE_SUMMARY1)), expected.summary_first_line());
    EXPECT_EQ(window_text(GetDlgItem(list, IDC_CHARGE_SUMMARY2)), expected.summary_second_line());
    Sleep(200);
    screenshot("charge-list");

    // Subscriber sums, then the statistics of the second subscriber (" 5").
    click(list, IDC_SUBSCRIBER_SUMS);
    HWND sums = p->dialog("Anlagen Teilnehmergebührensummen");
    ASSERT_NE(sums, nullptr);
    const auto sum_lines = eval::subscriber_sums_lines(expected.sums());
    EXPECT_TRUE(wait_for([&] { return list_lines(GetDlgItem(sums, IDC_SUMS_LIST)) == sum_lines; }))
        << "sums list";
    screenshot("subscriber-sums");
    click(sums, IDC_SUBSCRIBER_STATISTICS); // nothing selected: nothing happens
    Sleep(300);
    EXPECT_EQ(p->dialog("Teilnehmereinzelgebührensummen", 200), nullptr);
    PostMessageA(GetDlgItem(sums, IDC_SUMS_LIST), LB_SETCURSEL, 1, 0);
    click(sums, IDC_SUBSCRIBER_STATISTICS);
    HWND statistics = p->dialog("Teilnehmereinzelgebührensummen");
    ASSERT_NE(statistics, nullptr);
    const auto selected = eval::select_subscriber(sum_lines, 1);
    ASSERT_TRUE(selected);
    const auto s = eval::subscriber_statistics(*store, expected.sums(), *selected,
                                               phonebook::NoPhonebook(), local_now());
    EXPECT_TRUE(wait_for(
        [&] { return list_lines(GetDlgItem(statistics, IDC_STATISTICS_LIST)) == s.lines; }));
    EXPECT_EQ(s.lines.size(), 2u);
    ASSERT_TRUE(filled(statistics, IDC_STATISTICS_SUM2));
    EXPECT_EQ(window_text(GetDlgItem(statistics, IDC_STATISTICS_SUM1)), s.summary_first_line);
    EXPECT_EQ(window_text(GetDlgItem(statistics, IDC_STATISTICS_SUM2)), s.summary_second_line);
    screenshot("subscriber-statistics");
    ASSERT_TRUE(dismiss(statistics, IDOK));
    ASSERT_TRUE(dismiss(sums, IDOK));

    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, FilterChecksItsFieldsAndAValidChangeRefillsTheList) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    HWND list = p->open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(
        wait_for([&] { return list_lines(GetDlgItem(list, IDC_CHARGE_LIST)).size() == 5; }));

    click(list, IDC_FILTER);
    HWND filter = p->dialog("Auswert-Filter");
    ASSERT_NE(filter, nullptr);
    ASSERT_TRUE(filled(filter, IDC_MIN_PF));
    EXPECT_EQ(field(filter, IDC_MIN_DM), "000");
    EXPECT_EQ(field(filter, IDC_MIN_PF), "00");
    EXPECT_EQ(field(filter, IDC_FROM_DAY), "01");
    EXPECT_EQ(field(filter, IDC_TO_DAY), "04");
    const int year = local_now().year;
    EXPECT_EQ(field(filter, IDC_FROM_YEAR), std::to_string(year));
    EXPECT_EQ(field(filter, IDC_TO_YEAR), std::to_string(year));
    Sleep(300);
    screenshot("filter-dialog");

    // A month of 13: the first check's message, and the dialog stays.
    const std::string month = field(filter, IDC_FROM_MONTH);
    set_field(filter, IDC_FROM_MONTH, "13");
    click(filter, IDOK);
    HWND box = p->dialog("Fehler");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Monatseintrag fehlerhaft!");
    screenshot("filter-month-error");
    ASSERT_TRUE(dismiss(box, IDOK));
    EXPECT_TRUE(IsWindow(filter));

    // A year the filter cannot hold: refused in the same way.
    set_field(filter, IDC_FROM_MONTH, month);
    set_field(filter, IDC_FROM_YEAR, "1926");
    click(filter, IDOK);
    box = p->dialog("Fehler");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Jahreseintrag fehlerhaft!");
    ASSERT_TRUE(dismiss(box, IDOK));

    // A minimum of 3,00 DM keeps the two dearest calls; the years typed with two digits are
    // this year's, so the range keeps them.
    const std::string two_digits = std::to_string(year % 100);
    set_field(filter, IDC_FROM_YEAR, two_digits);
    set_field(filter, IDC_TO_YEAR, two_digits);
    set_field(filter, IDC_MIN_DM, "3");
    set_field(filter, IDC_MIN_PF, "0");
    ASSERT_TRUE(dismiss(filter, IDOK));
    EXPECT_TRUE(
        wait_for([&] { return list_lines(GetDlgItem(list, IDC_CHARGE_LIST)).size() == 2; }));
    const auto lines = list_lines(GetDlgItem(list, IDC_CHARGE_LIST));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("12,34 DM"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("3,00 DM"), std::string::npos) << lines[1];
    // The totals still cover the whole store.
    EXPECT_NE(window_text(GetDlgItem(list, IDC_CHARGE_SUMMARY2)).find("Summe der Gespräche     5"),
              std::string::npos)
        << window_text(GetDlgItem(list, IDC_CHARGE_SUMMARY2));
    screenshot("charge-list-filtered");
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, DecemberCallsShownInJanuaryCarryLastYear) {
    // Read on 10 January 2026: the exchange's order puts January before December.
    auto store = std::make_unique<data::ChargeStore>();
    const std::uint8_t dates[][2] = {{1, 3}, {1, 8}, {12, 20}, {12, 30}};
    for (std::size_t i = 0; i < std::size(dates); ++i) {
        data::ChargeRecord r;
        r.subscriber = dates[i][0] == 1 ? 0x21 : 0x22;
        r.month = dates[i][0];
        r.day = dates[i][1];
        r.hour = 10;
        r.amount = 100;
        r.number.fill(0xFF);
        r.number[0] = 0x07;
        store->set_record(i, r);
    }
    store->set_count(static_cast<std::uint16_t>(std::size(dates)));
    store->set_filter_range_from_records();
    const std::string gds = dir.file("Jan.GDS");
    ASSERT_TRUE(write_file(gds, file_bytes(*store)));

    ASSERT_TRUE(SetEnvironmentVariableA("KALMO_TODAY", "2026-01-10"));
    auto p = std::make_unique<Program>(dir.path());
    SetEnvironmentVariableA("KALMO_TODAY", nullptr);
    ASSERT_NE(p->main(), nullptr);
    ASSERT_TRUE(open_charge_file(*p, gds));
    HWND list = p->open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(filled(list, IDC_CHARGE_SUMMARY1));
    EXPECT_EQ(window_text(GetDlgItem(list, IDC_CHARGE_SUMMARY1)),
              "Anlagengebührensumme                      vom  3.01.26 10:00 bis 30.12.25 10:00");

    click(list, IDC_SUBSCRIBER_SUMS);
    HWND sums = p->dialog("Anlagen Teilnehmergebührensummen");
    ASSERT_NE(sums, nullptr);
    const std::vector<std::string> expected = {
        " 21 |  3.01.26 10:00 |  8.01.26 10:00 |    2 |         2,00 DM ",
        " 22 | 20.12.25 10:00 | 30.12.25 10:00 |    2 |         2,00 DM "};
    EXPECT_TRUE(wait_for([&] { return list_lines(GetDlgItem(sums, IDC_SUMS_LIST)) == expected; }))
        << "sums list";
    PostMessageA(GetDlgItem(sums, IDC_SUMS_LIST), LB_SETCURSEL, 1, 0);
    click(sums, IDC_SUBSCRIBER_STATISTICS);
    HWND statistics = p->dialog("Teilnehmereinzelgebührensummen");
    ASSERT_NE(statistics, nullptr);
    EXPECT_TRUE(wait_for([&] {
        const auto lines = list_lines(GetDlgItem(statistics, IDC_STATISTICS_LIST));
        return lines.size() == 2 && lines[0].substr(0, 11) == "   20.12.25" &&
               lines[1].substr(0, 11) == "   30.12.25";
    })) << "statistics list";
    ASSERT_TRUE(dismiss(statistics, IDOK));
    ASSERT_TRUE(dismiss(sums, IDOK));
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, EuroChosenInTheOptionsNamesEveryAmountAndIsKept) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    HWND currency = p->open(IDM_CURRENCY, "Währung");
    ASSERT_NE(currency, nullptr);
    ASSERT_TRUE(wait_for([&] {
        return SendMessageA(GetDlgItem(currency, IDC_CURRENCY_LIST), CB_GETCOUNT, 0, 0) == 2;
    }));
    EXPECT_EQ(SendMessageA(GetDlgItem(currency, IDC_CURRENCY_LIST), CB_GETCURSEL, 0, 0), 0)
        << "DM until chosen otherwise";
    SendMessageA(GetDlgItem(currency, IDC_CURRENCY_LIST), CB_SETCURSEL, 1, 0);
    ASSERT_TRUE(dismiss(currency, IDOK));

    HWND list = p->open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(
        wait_for([&] { return list_lines(GetDlgItem(list, IDC_CHARGE_LIST)).size() == 5; }));
    ASSERT_TRUE(filled(list, IDC_CHARGE_SUMMARY2));
    for (const std::string& line : list_lines(GetDlgItem(list, IDC_CHARGE_LIST)))
        EXPECT_EQ(line.substr(line.size() - 4), " EUR") << line;
    const std::string sum = window_text(GetDlgItem(list, IDC_CHARGE_SUMMARY2));
    EXPECT_EQ(sum.substr(sum.size() - 4), " EUR") << sum;
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
    EXPECT_NE(ini().find("[Optionen]\r\nWaehrung=EUR\r\n"), std::string::npos) << ini();
}

TEST_F(GuiLists, ShortenedNumbersFromTheSettingsReachTheList) {
    ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"), "[Datenschutz]\r\nKuerzen=3\r\n"));
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    HWND list = p->open(IDM_CHARGE_EVALUATION, "Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(
        wait_for([&] { return list_lines(GetDlgItem(list, IDC_CHARGE_LIST)).size() == 5; }));
    auto store = sample_store();
    eval::open_charge_evaluation(*store);
    eval::SystemChargeList expected(*store, app::Currency::DM, 3);
    ASSERT_EQ(expected.fill(phonebook::NoPhonebook(), local_now()).outcome,
              eval::FillOutcome::Listed);
    EXPECT_EQ(list_lines(GetDlgItem(list, IDC_CHARGE_LIST)), expected.lines());
    EXPECT_NE(expected.lines()[0].find(" 0123*** |"), std::string::npos) << expected.lines()[0];
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, ProjectChoiceWithoutPhonebookHasOnlyDisabledProjects) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    HWND select = p->open(IDM_PROJECT_EVALUATION, "Projekte definieren");
    ASSERT_NE(select, nullptr);
    ASSERT_TRUE(
        wait_for([&] { return !IsWindowEnabled(GetDlgItem(select, IDC_PROJECT_BUTTON_10)); }));
    for (const int id : win32::kProjectButtons)
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(select, id))) << id;
    EXPECT_EQ(window_text(GetDlgItem(select, IDC_PROJECT_BUTTON_1)), "Projekt  1");
    EXPECT_EQ(window_text(GetDlgItem(select, IDC_PROJECT_BUTTON_10)), "Projekt 10");
    screenshot("project-select");
    ASSERT_TRUE(dismiss(select, IDOK));
    EXPECT_TRUE(p->close());
}

// Over an empty store a list first asks where its data shall come from; declining ends it.
struct EmptyStore {
    const char* name;
    unsigned command;
    const char* question; // the dialog's caption
    const char* text;     // a message box's text; nullptr for a file dialog
    int decline;
    const char* list;
};

void PrintTo(const EmptyStore& c, std::ostream* os) {
    *os << c.name;
}

class GuiListsEmptyStore : public GuiLists, public ::testing::WithParamInterface<EmptyStore> {};

TEST_P(GuiListsEmptyStore, DecliningTheQuestionEndsTheList) {
    const EmptyStore& c = GetParam();
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND question = p.open(c.command, c.question);
    ASSERT_NE(question, nullptr);
    if (c.text) {
        EXPECT_EQ(message_text(question), c.text);
    }
    ASSERT_TRUE(dismiss(question, c.decline));
    Sleep(300);
    EXPECT_EQ(p.dialog(c.list, 300), nullptr);
    EXPECT_TRUE(p.close());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, GuiListsEmptyStore,
    ::testing::Values(EmptyStore{"charge list", IDM_CHARGE_EVALUATION, "Open", nullptr, IDCANCEL,
                                 "Anlageneinzelgebührensummen"},
                      EmptyStore{"call list", IDM_CALL_LIST, "Information",
                                 "Keine Anrufdaten vorhanden!\nAnrudaten aus TK-Anlage lesen ?",
                                 IDNO, "Anrufliste"}));

using GuiListsExchange = WithExchange<GuiLists>;

TEST_F(GuiListsExchange, CallListStatisticsAndSpeedDialCheck) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND list = read_calls_into_list(p);
    ASSERT_NE(list, nullptr);
    HWND box = GetDlgItem(list, IDC_CALL_LIST);
    ASSERT_TRUE(wait_for([&] { return !list_lines(box).empty(); }));
    const auto lines = list_lines(box);
    for (const std::string& line : lines) {
        ASSERT_GE(line.size(), 5u);
        EXPECT_EQ(line.substr(4, 3), " | ") << line;
        EXPECT_EQ(line.back(), ' ') << line;
    }
    screenshot("call-list");

    // "Statistik" on a line with a count above 1 lists that many calls.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int count = std::atoi(lines[i].substr(lines[i].size() - 4).c_str());
        if (count < 2) continue;
        PostMessageA(box, LB_SETCURSEL, i, 0);
        click(list, IDC_CALL_STATISTICS);
        HWND statistics = p.dialog("Anrufstatistik");
        ASSERT_NE(statistics, nullptr);
        EXPECT_TRUE(wait_for([&] {
            return static_cast<int>(
                       list_lines(GetDlgItem(statistics, IDC_CALL_STATISTICS_LIST)).size()) ==
                   count;
        }));
        screenshot("call-statistics");
        ASSERT_TRUE(dismiss(statistics, IDOK));
        break;
    }

    // Speed-dial codes outside 100..299 are refused before the exchange is contacted.
    PostMessageA(box, LB_SETCURSEL, 0, 0);
    for (const char* code : {"99", "300"}) {
        click(list, IDC_SPEED_DIAL);
        HWND dial = p.dialog("Kurzwahlziel");
        ASSERT_NE(dial, nullptr);
        ASSERT_TRUE(filled(dial, IDC_SPEED_DIAL_CODE));
        EXPECT_EQ(field(dial, IDC_SPEED_DIAL_CODE), "100");
        set_field(dial, IDC_SPEED_DIAL_CODE, code);
        screenshot("speed-dial");
        click(dial, IDOK);
        HWND error = p.dialog("Fehler");
        ASSERT_NE(error, nullptr) << code;
        EXPECT_EQ(message_text(error), "Kurzwahlkennziffer fehlerhaft");
        ASSERT_TRUE(dismiss(error, IDOK));
        EXPECT_TRUE(gone(dial)) << "the dialog ends after the message";
        EXPECT_EQ(p.dialog("Datenübertragung", 300), nullptr);
    }

    // "Kurzwahl" without a selected line does nothing.
    PostMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    click(list, IDC_SPEED_DIAL);
    EXPECT_EQ(p.dialog("Kurzwahlziel", 500), nullptr);

    // Code 299 writes the raw number of the line's call under index 199: the exchange
    // announces target 299 (its log is beside the screenshots).
    PostMessageA(box, LB_SETCURSEL, 0, 0);
    click(list, IDC_SPEED_DIAL);
    HWND dial = p.dialog("Kurzwahlziel");
    ASSERT_NE(dial, nullptr);
    ASSERT_TRUE(filled(dial, IDC_SPEED_DIAL_CODE));
    set_field(dial, IDC_SPEED_DIAL_CODE, "299");
    click(dial, IDOK);
    EXPECT_NE(p.dialog("Datenübertragung", 10000), nullptr);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dial); }, 30000));
    EXPECT_EQ(p.dialog("Error", 300), nullptr) << "no failure reported";
    const std::string log =
        read_file(wine_path(std::string(KALMO_SCREENSHOT_DIR) + "/../exchange-sim.log"));
    // The number column of line 0, without its padding (no phonebook: the raw number).
    std::string number = lines[0].substr(lines[0].find(" | ", 5) + 3, 24);
    number.erase(0, number.find_first_not_of(' '));
    if (number == "Rufnummer unbekannt") number.clear();
    EXPECT_NE(log.find("speed-dial 299 = " + number + "\n"), std::string::npos)
        << log << "\nexpected number " << number;

    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p.close());
}

} // namespace
} // namespace kalmo::gui
