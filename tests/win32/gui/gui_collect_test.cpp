// "Gebührendaten abholen" against simulated exchanges of its own (they are emptied):
// scripts/test-windows.sh maps COM5 to one with 25 charge and 12 call records and COM6 to one
// whose reply to the third request is an empty block, so that the read seems complete early.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "win32/resource.h"
#include "core/data/calls.h"
#include "core/data/charge_file.h"
#include "driver.h"
#include "gui_fixture.h"

namespace kalmo::gui {
namespace {

class GuiCollect : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (IsSkipped()) return;
        if (!std::getenv("KALMO_COLLECT_EXCHANGES"))
            GTEST_SKIP() << "no exchanges on COM5 and COM6 (scripts/test-windows.sh maps them)";
    }
    // The settings name COM1 + `index`; the archive goes to its default beside the program.
    void use_port(int index) {
        ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"),
                               "[Com]\r\nComPort=" + std::to_string(index) + "\r\n"));
    }
    std::string archive() const { return dir.file("Archiv"); }
    static std::string sim_log(const char* name) {
        return read_file(wine_path(std::string(KALMO_SCREENSHOT_DIR) + "/../" + name));
    }
};

// The one file of the archive folder that ends in `ext`; empty when there is not exactly one.
std::string only_file(const std::string& folder, const std::string& ext) {
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA((folder + "\\*" + ext).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string name = found.cFileName;
    const bool more = FindNextFileA(h, &found);
    FindClose(h);
    return more ? std::string() : folder + "\\" + name;
}

TEST_F(GuiCollect, KeepsEveryRecordThenEmptiesTheExchange) {
    use_port(4);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(IDM_COLLECT);
    HWND box = p.dialog("Gebührendaten abholen", 60000);
    ASSERT_NE(box, nullptr);
    screenshot("collect-result"); // docs/collect.png
    const std::string said = message_text(box);
    ASSERT_TRUE(dismiss(box, IDOK));
    const std::string gds = only_file(archive(), ".GDS");
    const std::string anr = only_file(archive(), ".ANR");
    ASSERT_FALSE(gds.empty()) << said;
    ASSERT_FALSE(anr.empty()) << said;
    EXPECT_EQ(said, "25 Gebührensätze gesichert in\n" + gds +
                        "\n12 Anrufdatensätze gesichert in\n" + anr +
                        "\nDie TK-Anlage wurde geleert.");
    EXPECT_EQ(read_file(gds).size(), data::kChargeImageHead + 25 * data::kChargeRecordSize);
    EXPECT_FALSE(only_file(archive(), ".ASC").empty());
    EXPECT_EQ(read_file(anr).size(), 12 * data::kCallRecordSize);
    // The charge list of what was collected follows.
    HWND list = p.dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(dismiss(list, IDOK));
    const std::string log = sim_log("collect-exchange-sim.log");
    EXPECT_NE(log.find("charge records deleted"), std::string::npos) << log;
    EXPECT_NE(log.find("call records deleted"), std::string::npos) << log;
    // Asked again, the exchange has nothing left.
    p.command(IDM_READ_CHARGES);
    EXPECT_EQ(answer(p, "Information", IDOK), " Gebührendatenspeicher leer ");
    EXPECT_TRUE(p.close());
}

TEST_F(GuiCollect, AReadThatEndedEarlyEmptiesNothing) {
    use_port(5);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(IDM_COLLECT);
    // The warning of the read that left records behind, then the account.
    HWND warning = p.dialog("Information", 60000);
    ASSERT_NE(warning, nullptr);
    EXPECT_NE(message_text(warning).find("nicht alle Datensätze"), std::string::npos);
    ASSERT_TRUE(dismiss(warning, IDOK));
    const std::string said = answer(p, "Gebührendaten abholen", IDOK);
    EXPECT_NE(said.find("Die TK-Anlage wurde nicht geleert.\nNicht alle Datensätze wurden "
                        "gelesen."),
              std::string::npos)
        << said;
    // What was kept is still shown, as after any read.
    HWND list = p.dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(dismiss(list, IDOK));
    const std::string log = sim_log("collect-fault-exchange-sim.log");
    EXPECT_EQ(log.find("deleted"), std::string::npos) << log;
    EXPECT_TRUE(p.close());
}

TEST_F(GuiCollect, TheArchiveDialogKeepsFolderAndCallsInTheSettings) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_ARCHIVE_OPTIONS, "Archiv");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(field(dlg, IDC_ARCHIVE_FOLDER), archive()) << "the default beside the program";
    EXPECT_EQ(SendMessageA(GetDlgItem(dlg, IDC_ARCHIVE_CALLS), BM_GETCHECK, 0, 0), BST_CHECKED);
    set_field(dlg, IDC_ARCHIVE_FOLDER, "D:\\Kalmo\\Archiv");
    SendMessageA(GetDlgItem(dlg, IDC_ARCHIVE_CALLS), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(dismiss(dlg, IDOK));
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("[Archiv]\r\nOrdner=D:\\Kalmo\\Archiv\r\nAnrufe=0\r\n"), std::string::npos)
        << ini();
}

using GuiReminder = GuiTest;

// The newest file of the archive folder is dated 2026-01-01 (an older one beside it must not
// count as the last collection).
TEST_F(GuiReminder, StatusBarNamesTheDaysSinceTheLastCollection) {
    const std::string folder = dir.file("Archiv");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    auto dated = [&](const char* name, WORD year, WORD month) {
        const std::string path = folder + "\\" + name;
        ASSERT_TRUE(write_file(path, "x"));
        SYSTEMTIME st{};
        st.wYear = year;
        st.wMonth = month;
        st.wDay = 1;
        st.wHour = 12;
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
        HANDLE h =
            CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
        CloseHandle(h);
    };
    dated("2025-06-01_120000.GDS", 2025, 6);
    dated("2026-01-01_120000.GDS", 2026, 1);
    struct Case {
        const char* today;
        const char* status;
    };
    for (const Case& c :
         {Case{"2026-02-15", "Letzte Abholung vor 45 Tagen"}, Case{"2026-02-01", "Ready"}}) {
        SCOPED_TRACE(c.today);
        ASSERT_TRUE(SetEnvironmentVariableA("KALMO_TODAY", c.today));
        Program p(dir.path());
        SetEnvironmentVariableA("KALMO_TODAY", nullptr);
        ASSERT_NE(p.main(), nullptr);
        // The reminder is set before the window takes its first command.
        p.run(0);
        EXPECT_EQ(p.status_text(), c.status);
        EXPECT_TRUE(p.close());
    }
}

} // namespace
} // namespace kalmo::gui
