// The evaluation lists driven from outside under Wine: the charge list against the core's own
// lines, the filter dialog, subscriber sums and statistics, the project choice without a
// phonebook, and the call list with its statistics and speed-dial check against the simulated
// exchange.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "core/data/charge.h"
#include "core/eval/charge_list.h"
#include "core/eval/subscriber.h"
#include "core/phonebook/lookup.h"
#include "driver.h"

namespace kalmo::gui {
namespace {

std::string message_text(HWND box) {
    return window_text(GetDlgItem(box, 65535));
}

void set_text(HWND dlg, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// An edit field's text. GetWindowText does not ask a window of another process, and edit
// fields keep their text to themselves: ask with WM_GETTEXT (UTF-16 across processes).
std::string edit_text(HWND dlg, int id) {
    wchar_t wide[64] = {};
    SendMessageW(GetDlgItem(dlg, id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(wide));
    char ansi[128] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

// A dialog is found while its opening still fills it: wait for a field to be filled first.
bool filled(HWND dlg, int id) {
    return wait_for([&] { return !edit_text(dlg, id).empty(); });
}

bool gone(HWND w) {
    return wait_for([&] { return !IsWindow(w); });
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

class GuiLists : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (scripts/test-windows.sh starts Xvfb)";
    }

    // Starts the program with the sample charge file loaded through "&Öffnen".
    std::unique_ptr<Program> with_charges() {
        const std::string gds = dir.file("Mon.GDS");
        EXPECT_TRUE(write_file(gds, file_bytes(*sample_store())));
        auto p = std::make_unique<Program>(dir.path());
        if (!p->main()) return p;
        p->command(101);
        HWND open = p->dialog("Open");
        EXPECT_NE(open, nullptr);
        if (!open) return p;
        HWND name = GetDlgItem(open, 1148);
        if (!name) name = GetDlgItem(open, 1152);
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gds.c_str()));
        click(open, IDOK);
        EXPECT_TRUE(gone(open));
        return p;
    }

    test::TempDir dir;
};

TEST_F(GuiLists, ChargeEvaluationShowsTheCoresLinesSummariesAndSubscriberDialogs) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    p->command(200);
    HWND list = p->dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);

    auto store = sample_store();
    eval::open_charge_evaluation(*store);
    eval::SystemChargeList expected(*store);
    ASSERT_EQ(expected.fill(phonebook::NoPhonebook(), local_now()).outcome,
              eval::FillOutcome::Listed);
    ASSERT_TRUE(wait_for([&] { return !list_lines(GetDlgItem(list, 1006)).empty(); }));
    ASSERT_TRUE(filled(list, 1044));
    EXPECT_EQ(list_lines(GetDlgItem(list, 1006)), expected.lines());
    EXPECT_EQ(window_text(GetDlgItem(list, 1043)), expected.summary_first_line());
    EXPECT_EQ(window_text(GetDlgItem(list, 1044)), expected.summary_second_line());
    Sleep(200);
    screenshot("charge-list");

    // Subscriber sums, then the statistics of the second subscriber (" 5").
    click(list, 1013);
    HWND sums = p->dialog("Anlagen Teilnehmergebührensummen");
    ASSERT_NE(sums, nullptr);
    const auto sum_lines = eval::subscriber_sums_lines(expected.sums());
    EXPECT_TRUE(wait_for([&] { return list_lines(GetDlgItem(sums, 1007)) == sum_lines; }))
        << "sums list";
    screenshot("subscriber-sums");
    click(sums, 1014); // nothing selected: nothing happens
    Sleep(300);
    EXPECT_EQ(p->dialog("Teilnehmereinzelgebührensummen", 200), nullptr);
    PostMessageA(GetDlgItem(sums, 1007), LB_SETCURSEL, 1, 0);
    click(sums, 1014);
    HWND statistics = p->dialog("Teilnehmereinzelgebührensummen");
    ASSERT_NE(statistics, nullptr);
    const auto selected = eval::select_subscriber(sum_lines, 1);
    ASSERT_TRUE(selected);
    const auto s = eval::subscriber_statistics(*store, expected.sums(), *selected,
                                               phonebook::NoPhonebook(), local_now());
    EXPECT_TRUE(wait_for([&] { return list_lines(GetDlgItem(statistics, 1008)) == s.lines; }));
    EXPECT_EQ(s.lines.size(), 2u);
    ASSERT_TRUE(filled(statistics, 1042));
    EXPECT_EQ(window_text(GetDlgItem(statistics, 1041)), s.summary_first_line);
    EXPECT_EQ(window_text(GetDlgItem(statistics, 1042)), s.summary_second_line);
    screenshot("subscriber-statistics");
    click(statistics, IDOK);
    ASSERT_TRUE(gone(statistics));
    click(sums, IDOK);
    ASSERT_TRUE(gone(sums));

    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, FilterChecksItsFieldsAndAValidChangeRefillsTheList) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    p->command(200);
    HWND list = p->dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(wait_for([&] { return list_lines(GetDlgItem(list, 1006)).size() == 5; }));

    click(list, 1070);
    HWND filter = p->dialog("Auswert-Filter");
    ASSERT_NE(filter, nullptr);
    ASSERT_TRUE(filled(filter, 1084));
    EXPECT_EQ(edit_text(filter, 1083), "000");
    EXPECT_EQ(edit_text(filter, 1084), "00");
    EXPECT_EQ(edit_text(filter, 1079), "01");
    EXPECT_EQ(edit_text(filter, 1082), "04");
    Sleep(300);
    screenshot("filter-dialog");

    // A month of 13: the first check's message, and the dialog stays.
    const std::string month = edit_text(filter, 1078);
    set_text(filter, 1078, "13");
    click(filter, IDOK);
    HWND box = p->dialog("Fehler");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Monatseintrag fehlerhaft!");
    screenshot("filter-month-error");
    click(box, IDOK);
    ASSERT_TRUE(gone(box));
    EXPECT_TRUE(IsWindow(filter));

    // A minimum of 3,00 DM keeps the two dearest calls.
    set_text(filter, 1078, month);
    set_text(filter, 1083, "3");
    set_text(filter, 1084, "0");
    click(filter, IDOK);
    ASSERT_TRUE(gone(filter));
    EXPECT_TRUE(wait_for([&] { return list_lines(GetDlgItem(list, 1006)).size() == 2; }));
    const auto lines = list_lines(GetDlgItem(list, 1006));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("12,34 DM"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("3,00 DM"), std::string::npos) << lines[1];
    // The totals still cover the whole store.
    EXPECT_NE(window_text(GetDlgItem(list, 1044)).find("Summe der Gespräche     5"),
              std::string::npos)
        << window_text(GetDlgItem(list, 1044));
    screenshot("charge-list-filtered");
    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, EvaluationOverAnEmptyStoreAsksForAFileAndCancelEndsIt) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(200);
    HWND open = p.dialog("Open");
    ASSERT_NE(open, nullptr);
    click(open, IDCANCEL);
    ASSERT_TRUE(gone(open));
    Sleep(300);
    EXPECT_EQ(p.dialog("Anlageneinzelgebührensummen", 300), nullptr);
    EXPECT_TRUE(p.close());
}

TEST_F(GuiLists, ProjectChoiceWithoutPhonebookHasOnlyDisabledProjects) {
    auto p = with_charges();
    ASSERT_NE(p->main(), nullptr);
    p->command(202);
    HWND select = p->dialog("Projekte definieren");
    ASSERT_NE(select, nullptr);
    ASSERT_TRUE(wait_for([&] { return !IsWindowEnabled(GetDlgItem(select, 1030)); }));
    for (int id = 1021; id <= 1030; ++id) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(select, id))) << id;
    }
    EXPECT_EQ(window_text(GetDlgItem(select, 1021)), "Projekt  1");
    EXPECT_EQ(window_text(GetDlgItem(select, 1030)), "Projekt 10");
    screenshot("project-select");
    click(select, IDOK);
    ASSERT_TRUE(gone(select));
    EXPECT_TRUE(p->close());
}

TEST_F(GuiLists, CallListOverAnEmptyStoreAsksAndNoEndsIt) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(201);
    HWND box = p.dialog("Information");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Keine Anrufdaten vorhanden!\nAnrudaten aus TK-Anlage lesen ?");
    click(box, IDNO);
    ASSERT_TRUE(gone(box));
    Sleep(300);
    EXPECT_EQ(p.dialog("Anrufliste", 300), nullptr);
    EXPECT_TRUE(p.close());
}

class GuiListsExchange : public GuiLists {
protected:
    void SetUp() override {
        GuiLists::SetUp();
        if (IsSkipped()) return;
        if (!std::getenv("KALMO_EXCHANGE_SIM")) GTEST_SKIP() << "no simulated exchange on COM1";
    }
};

// Reads the calls through the question of an empty call list, then closes the count message.
HWND read_calls_into_list(Program& p) {
    p.command(201);
    HWND question = p.dialog("Information");
    if (!question) return nullptr;
    click(question, IDYES);
    HWND done = nullptr;
    wait_for(
        [&] {
            done = p.dialog("Information", 100);
            return done && done != question;
        },
        60000);
    if (!done || done == question) return nullptr;
    click(done, IDOK);
    return p.dialog("Anrufliste", 20000);
}

TEST_F(GuiListsExchange, CallListStatisticsAndSpeedDialCheck) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND list = read_calls_into_list(p);
    ASSERT_NE(list, nullptr);
    HWND box = GetDlgItem(list, 1010);
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
        click(list, 1049);
        HWND statistics = p.dialog("Anrufstatistik");
        ASSERT_NE(statistics, nullptr);
        EXPECT_TRUE(wait_for([&] {
            return static_cast<int>(list_lines(GetDlgItem(statistics, 1011)).size()) == count;
        }));
        screenshot("call-statistics");
        click(statistics, IDOK);
        ASSERT_TRUE(gone(statistics));
        break;
    }

    // Speed-dial codes outside 100..299 are refused before the exchange is contacted.
    PostMessageA(box, LB_SETCURSEL, 0, 0);
    for (const char* code : {"99", "300"}) {
        click(list, 1050);
        HWND dial = p.dialog("Kurzwahlziel");
        ASSERT_NE(dial, nullptr);
        ASSERT_TRUE(filled(dial, 1058));
        EXPECT_EQ(edit_text(dial, 1058), "100");
        set_text(dial, 1058, code);
        screenshot("speed-dial");
        click(dial, IDOK);
        HWND error = p.dialog("Fehler");
        ASSERT_NE(error, nullptr) << code;
        EXPECT_EQ(message_text(error), "Kurzwahlkennziffer fehlerhaft");
        click(error, IDOK);
        ASSERT_TRUE(gone(error));
        EXPECT_TRUE(gone(dial)) << "the dialog ends after the message";
        EXPECT_EQ(p.dialog("Datenübertragung", 300), nullptr);
    }

    // "Kurzwahl" without a selected line does nothing.
    PostMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    click(list, 1050);
    EXPECT_EQ(p.dialog("Kurzwahlziel", 500), nullptr);

    // Code 299 writes the raw number of the line's call under index 199: the exchange
    // announces target 299 (its log is beside the screenshots).
    PostMessageA(box, LB_SETCURSEL, 0, 0);
    click(list, 1050);
    HWND dial = p.dialog("Kurzwahlziel");
    ASSERT_NE(dial, nullptr);
    ASSERT_TRUE(filled(dial, 1058));
    set_text(dial, 1058, "299");
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

    click(list, IDOK);
    ASSERT_TRUE(gone(list));
    EXPECT_TRUE(p.close());
}

} // namespace
} // namespace kalmo::gui
