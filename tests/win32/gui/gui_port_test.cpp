// Any serial port the machine has: chosen in the port dialog, kept in the settings, read from.
// scripts/test-windows.sh maps COM12 to a simulated exchange and names its record count in
// KALMO_COM12_EXCHANGE.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "win32/resource.h"
#include "driver.h"
#include "gui_fixture.h"

namespace kalmo::gui {
namespace {

class GuiCom12 : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (IsSkipped()) return;
        const char* count = std::getenv("KALMO_COM12_EXCHANGE");
        if (!count) GTEST_SKIP() << "no exchange on COM12 (scripts/test-windows.sh maps one)";
        records = count;
    }
    std::string records;
};

// The line of the port list that starts with `port` followed by nothing or the device's name.
int line_of(HWND combo, const std::string& port) {
    const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const std::string text = combo_text(combo, i);
        if (text == port || text.rfind(port + " ", 0) == 0) return i;
    }
    return -1;
}

TEST_F(GuiCom12, ChosenInThePortDialogThenChargesReadThroughIt) {
    {
        Program p(dir.path());
        ASSERT_NE(p.main(), nullptr);
        HWND dlg = p.open(IDM_PORT, "Comporteinstellung");
        ASSERT_NE(dlg, nullptr);
        HWND combo = GetDlgItem(dlg, IDC_PORT_LIST);
        EXPECT_EQ(combo_text(combo, 3), "COM4") << "the four built-in ports come first";
        const int com12 = line_of(combo, "COM12");
        ASSERT_GT(com12, 3) << "the machine's COM12 after them";
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(com12), 0);
        // A device arriving while the dialog is open renews the list; the line the user chose
        // (not yet confirmed) stays chosen.
        const LRESULT lines = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        SendMessageW(dlg, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), lines);
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), line_of(combo, "COM12"));
        ASSERT_TRUE(dismiss(dlg, IDOK));
        ASSERT_TRUE(p.close());
        EXPECT_NE(ini().find("[Com]\r\nComPort=11\r\n"), std::string::npos) << ini();
    }
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    {
        SCOPED_TRACE("COM12 from the settings");
        HWND dlg = p.open(IDM_PORT, "Comporteinstellung");
        ASSERT_NE(dlg, nullptr);
        HWND combo = GetDlgItem(dlg, IDC_PORT_LIST);
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), line_of(combo, "COM12"));
        ASSERT_TRUE(dismiss(dlg, IDCANCEL));
    }
    ASSERT_NE(p.open(IDM_READ_CHARGES, "Datenübertragung"), nullptr);
    HWND box = p.dialog("Information", 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), " " + records + " Gebührensätze empfangen ");
    ASSERT_TRUE(dismiss(box, IDOK));
    HWND list = p.dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p.close());
}

using GuiPort = GuiTest;

TEST_F(GuiPort, APortThatIsGoneIsNamedAndKept) {
    // COM200: chosen once, its adapter since unplugged.
    ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"), "[Com]\r\nComPort=199\r\n"));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    {
        HWND dlg = p.open(IDM_PORT, "Comporteinstellung");
        ASSERT_NE(dlg, nullptr);
        HWND combo = GetDlgItem(dlg, IDC_PORT_LIST);
        const int com200 = line_of(combo, "COM200");
        ASSERT_GE(com200, 4);
        EXPECT_EQ(combo_text(combo, com200), "COM200");
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), com200);
        ASSERT_TRUE(dismiss(dlg, IDOK));
    }
    p.command(IDM_READ_CHARGES);
    EXPECT_EQ(answer(p, "Error", IDOK),
              "Connection failed.\nDie Schnittstelle COM200 ist nicht vorhanden oder von einem "
              "anderen Programm belegt.");
    EXPECT_TRUE(p.close());
    EXPECT_NE(ini().find("[Com]\r\nComPort=199\r\n"), std::string::npos) << ini();
}

} // namespace
} // namespace kalmo::gui
