// The Windows program driven from outside under Wine: start-up, settings, port dialog, About
// box and the title after opening a charge data file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "../temp_dir.h"
#include "win32/resource.h"
#include "core/app/strings.h"
#include "core/data/charge.h"
#include "driver.h"
#include "gui_fixture.h"
#include "kalmo_version.h"

namespace kalmo::gui {
namespace {

constexpr char kDefaults[] = "[Files]\r\nTelbook=\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                             "[Toolbar]\r\nShowBar=1\r\nText=1\r\nLargeIcons=0\r\n";

using Gui = GuiTest;

// The menu bar as the menu table lists it, with the state at start: an item's line is
// "<id> <grey> <checked> <text>", popups and separators stand as they are.
std::string menu_at_start() {
    struct Line {
        unsigned id;
        const char* text;
    };
    const Line lines[] = {
        {0, "popup 0 &File"},
        {IDM_FILE_OPEN, "0 0 &Öffnen"},
        {IDM_FILE_SAVE, "1 0 &Speichern"},
        {IDM_FILE_SAVE_AS, "1 0 Sichern &als"},
        {0, "separator"},
        {IDM_READ_CHARGES, "0 0 &Gebührendaten lesen"},
        {IDM_DELETE_CHARGES, "0 0 Ge&bührendaten löschen"},
        {0, "separator"},
        {IDM_READ_CALLS, "0 0 A&nrufdaten lesen"},
        {IDM_DELETE_CALLS, "0 0 An&rufdaten löschen"},
        {0, "separator"},
        {IDM_COLLECT, "0 0 Gebührendaten &abholen"},
        {0, "separator"},
        {IDM_EXIT, "0 0 &Ende"},
        {0, "popup 0 &Gebührenauswertung"},
        {IDM_CHARGE_EVALUATION, "0 0 &Gebührenerfassung"},
        {IDM_CALL_LIST, "0 0 &Anrufliste"},
        {0, "separator"},
        {IDM_PROJECT_EVALUATION, "0 0 &Projekte"},
        {0, "separator"},
        {IDM_ARCHIVE_REPORT, "0 0 A&rchiv auswerten …"},
        {0, "popup 0 &Telefonbuch"},
        {IDM_PHONEBOOK_NEW, "0 0 &Neu"},
        {IDM_PHONEBOOK_OPEN, "0 0 Ö&ffnen"},
        {IDM_PHONEBOOK_EDIT, "1 0 &Editieren"},
        {0, "separator"},
        {IDM_PROJECT_NAMES, "1 0 &Projekte"},
        {0, "popup 0 &Optionen"},
        {IDM_PORT, "0 0 &Com"},
        {IDM_PRINTER, "0 0 &Printer"},
        {IDM_CURRENCY, "0 0 &Währung …"},
        {IDM_PRIVACY, "0 0 &Datenschutz …"},
        {IDM_ARCHIVE_OPTIONS, "0 0 &Archiv …"},
        {0, "popup 0 Tool&bar"},
        {IDM_SHOW_TOOLBAR, "0 1 &Toolbar Sichtbar"},
        {0, "separator"},
        {IDM_SMALL_ICONS, "0 1 &kleine Ikonen"},
        {IDM_LARGE_ICONS, "0 0 &große Ikonen"},
        {IDM_ICON_LABELS, "0 1 &Ikonen beschriften"},
        {0, "popup 1 &Info"},
        {IDM_HELP_ON_HELP, "0 0 &Hilfe über Hilfe"},
        {IDM_HELP_INDEX, "0 0 Hilfe &Index"},
        {0, "separator"},
        {IDM_ABOUT, "0 0 &Info"},
    };
    std::string dump;
    for (const Line& line : lines)
        dump += (line.id ? std::to_string(line.id) + " " : std::string()) + line.text + "\n";
    return dump;
}

// A program that does not start is Wine's failure, not the test's: the test ends with the code
// that earns it one more try (scripts/wine-run.sh). A program that starts is not given one.
TEST_F(Gui, AProgramThatDoesNotStartEndsTheTestWithTheRetryCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    {
        SCOPED_TRACE("not a program at all");
        ASSERT_TRUE(write_file(dir.file("kalmo32.exe"), "MZ kein Programm"));
        EXPECT_EXIT(Program(dir.path(), false), ::testing::ExitedWithCode(kProgramDidNotStart),
                    "could not be started");
    }
    {
        SCOPED_TRACE("ends before its main window comes");
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, MAX_PATH);
        ASSERT_TRUE(CopyFileA((std::string(system) + "\\hostname.exe").c_str(),
                              dir.file("kalmo32.exe").c_str(), FALSE));
        EXPECT_EXIT(Program(dir.path(), false), ::testing::ExitedWithCode(kProgramDidNotStart),
                    "before its main window came");
    }
}

TEST_F(Gui, FirstStartWithoutSettingsFile) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr) << "main window did not appear";
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung");
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung") << "no file names to add";
    EXPECT_EQ(p.menu_dump(), menu_at_start());
    Sleep(300);
    screenshot("first-start");
    ASSERT_TRUE(p.close());
    EXPECT_EQ(ini(), kDefaults) << "all six keys written at exit";
}

TEST_F(Gui, SettingsAreReadAtStartAndWrittenBackAsRead) {
    const std::string settings = "[Files]\r\nTelbook=\r\nGebFile=C:\\Daten\\Jan.GDS\r\n"
                                 "[Com]\r\nComPort=2\r\n"
                                 "[Toolbar]\r\nShowBar=5\r\nText=0\r\nLargeIcons=1\r\n";
    ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"), settings));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung") << "the title follows at a menu selection";
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Gebührendaten Jan.GDS");
    auto menu = p.menu();
    EXPECT_TRUE(menu[IDM_SHOW_TOOLBAR].checked);
    EXPECT_TRUE(menu[IDM_LARGE_ICONS].checked);
    EXPECT_FALSE(menu[IDM_SMALL_ICONS].checked);
    EXPECT_FALSE(menu[IDM_ICON_LABELS].checked);
    EXPECT_TRUE(menu[IDM_FILE_SAVE].grey) << "a file name without records saves nothing";
    EXPECT_TRUE(menu[IDM_FILE_SAVE_AS].grey);
    Sleep(300);
    screenshot("large-icons-no-labels");
    ASSERT_TRUE(p.close());
    EXPECT_EQ(ini(), settings) << "ShowBar 5 goes back as read";
}

TEST_F(Gui, StatusBarExplainsTheHighlightedMenuEntry) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(p.status_text(), "Ready");
    const LPARAM menu = reinterpret_cast<LPARAM>(GetMenu(p.main()));
    ASSERT_NE(menu, 0);
    // "&File" highlighted on the menu bar: the title's text.
    SendMessageA(p.main(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), menu);
    EXPECT_EQ(p.status_text(), "Öffnen, sichern, TK-Anlage lesen oder Programm beenden");
    // A command item: the string with the command's ID.
    SendMessageA(p.main(), WM_MENUSELECT, MAKEWPARAM(IDM_FILE_SAVE, MF_HILITE), menu);
    EXPECT_EQ(p.status_text(), "Sichern der Gebührendatensätze auf die Festplatte");
    SendMessageA(p.main(), WM_MENUSELECT, MAKEWPARAM(IDM_PORT, MF_HILITE), menu);
    EXPECT_EQ(p.status_text(),
              "Einstellen des Comports für die Datenübertragung von und zur TK-Anlage");
    Sleep(200);
    screenshot("status-bar-help");
    // The menu goes away: back to the normal text.
    SendMessageA(p.main(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(p.status_text(), "Ready");
    EXPECT_TRUE(p.close());
}

TEST_F(Gui, HelpModeTakesTheNextCommandUntilEscape) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    ASSERT_TRUE(p.key(VK_F1, true)); // Shift+F1: help mode
    // The toolbar's "Help" button has no topic: the message, and help mode stays on.
    HWND box = p.open(IDM_HELP_INDEX, "Kalmo");
    ASSERT_NE(box, nullptr) << "Shift+F1 did not start help mode";
    EXPECT_EQ(message_text(box), "Help not available for Help Menu item");
    Sleep(200);
    screenshot("help-not-available");
    ASSERT_TRUE(dismiss(box, IDOK));
    // Still in help mode: "Info" is not run either.
    box = p.open(IDM_ABOUT, "Kalmo");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(p.dialog("Über Gebührenauswertung", 300), nullptr);
    ASSERT_TRUE(dismiss(box, IDOK));
    // Escape ends help mode; the next command runs.
    ASSERT_TRUE(p.key(VK_ESCAPE));
    HWND about = p.open(IDM_ABOUT, "Über Gebührenauswertung");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(dismiss(about, IDOK));
    EXPECT_TRUE(p.close());
}

TEST_F(Gui, ToolbarTooltipNamesTheButtonsCommand) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(p.tooltip(2), "Speichern eines Gebührenfiles");
    Sleep(200);
    screenshot("tooltip");
    EXPECT_TRUE(p.close());
}

TEST_F(Gui, F1HeldInAnOpenMenuAsksForTheHighlightedItemsHelp) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    ASSERT_TRUE(p.activate());
    // Alt+I opens "&Info"; Up wraps to its last item "&Info" (IDM_ABOUT, no help topic).
    p.key_event(VK_MENU, false);
    p.key_event('I', false);
    p.key_event('I', true);
    p.key_event(VK_MENU, true);
    p.key_event(VK_UP, false);
    p.key_event(VK_UP, true);
    p.key_event(VK_F1, false); // held while the menu waits
    HWND box = p.dialog("Kalmo", 5000);
    p.key_event(VK_F1, true);
    ASSERT_NE(box, nullptr) << "F1 in the open menu did not take the item as a help request";
    EXPECT_EQ(message_text(box), "Help not available for Help Menu item");
    ASSERT_TRUE(dismiss(box, IDOK));
    EXPECT_EQ(p.dialog("Über Gebührenauswertung", 300), nullptr) << "the command did not run";
    EXPECT_TRUE(p.close());
}

TEST_F(Gui, ToolbarCommandsChangeTheSettingsWrittenAtExit) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    auto toolbar = [&] { return GetDlgItem(p.main(), IDC_TOOLBAR); };
    const HWND first = toolbar();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(IsWindowVisible(first));
    p.run(IDM_LARGE_ICONS); // large icons: a new toolbar
    const HWND large = toolbar();
    EXPECT_NE(large, nullptr);
    EXPECT_FALSE(IsWindow(first)) << "the old toolbar is destroyed";
    p.run(IDM_ICON_LABELS); // labels off
    p.run(IDM_ICON_LABELS); // labels on again
    EXPECT_FALSE(IsWindow(large)) << "every rebuild makes a new window";
    p.run(IDM_SHOW_TOOLBAR); // hide
    const HWND hidden = toolbar();
    EXPECT_FALSE(IsWindowVisible(hidden));
    auto menu = p.menu();
    EXPECT_FALSE(menu[IDM_SHOW_TOOLBAR].checked);
    EXPECT_TRUE(menu[IDM_LARGE_ICONS].checked);
    EXPECT_TRUE(menu[IDM_ICON_LABELS].checked);
    Sleep(300);
    screenshot("toolbar-hidden");
    // A rebuild while hidden keeps it hidden, in step with the unchecked "Toolbar Sichtbar".
    p.run(IDM_SMALL_ICONS);
    EXPECT_FALSE(IsWindowVisible(toolbar()));
    EXPECT_FALSE(p.menu()[IDM_SHOW_TOOLBAR].checked);
    p.run(IDM_LARGE_ICONS);
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("ShowBar=0\r\nText=1\r\nLargeIcons=1\r\n"), std::string::npos) << ini();

    // Started hidden: shown by IDM_SHOW_TOOLBAR, hidden again, shown again as the same window.
    Program q(dir.path());
    ASSERT_NE(q.main(), nullptr);
    EXPECT_EQ(GetDlgItem(q.main(), IDC_TOOLBAR), nullptr) << "not created while ShowBar is 0";
    q.run(IDM_SHOW_TOOLBAR);
    const HWND shown = GetDlgItem(q.main(), IDC_TOOLBAR);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(IsWindowVisible(shown));
    q.run(IDM_SHOW_TOOLBAR);
    EXPECT_FALSE(IsWindowVisible(shown));
    q.run(IDM_SHOW_TOOLBAR);
    EXPECT_EQ(GetDlgItem(q.main(), IDC_TOOLBAR), shown);
    EXPECT_TRUE(IsWindowVisible(shown));
    ASSERT_TRUE(q.close());
    EXPECT_NE(ini().find("ShowBar=1\r\n"), std::string::npos) << ini();
}

// The port dialog offers COM1 to COM4 first (the machine's other ports after them) with
// `selected` chosen at its opening; `choice` is chosen and the dialog left with `button`.
void use_port_dialog(Program& p, int selected, int choice, int button, const char* shot = nullptr) {
    HWND dlg = p.open(IDM_PORT, "Comporteinstellung");
    ASSERT_NE(dlg, nullptr);
    HWND combo = GetDlgItem(dlg, IDC_PORT_LIST);
    ASSERT_GE(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(combo_text(combo, i), "COM" + std::to_string(i + 1));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), selected);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
    if (shot) {
        Sleep(200);
        screenshot(shot);
    }
    EXPECT_TRUE(dismiss(dlg, button));
}

TEST_F(Gui, PortDialogChoosesComThreeThenComOne) {
    {
        Program p(dir.path());
        ASSERT_NE(p.main(), nullptr);
        use_port_dialog(p, 0, 2, IDOK, "port-dialog");
        ASSERT_TRUE(p.close());
        EXPECT_NE(ini().find("[Com]\r\nComPort=2\r\n"), std::string::npos) << ini();
    }
    {
        Program p(dir.path());
        ASSERT_NE(p.main(), nullptr);
        {
            SCOPED_TRACE("COM3 from the settings; Cancel changes nothing");
            use_port_dialog(p, 2, 0, IDCANCEL);
        }
        {
            SCOPED_TRACE("Cancel kept COM3; OK takes COM1");
            use_port_dialog(p, 2, 0, IDOK);
        }
        ASSERT_TRUE(p.close());
        EXPECT_NE(ini().find("[Com]\r\nComPort=0\r\n"), std::string::npos) << ini();
    }
}

TEST_F(Gui, AboutBoxShowsTheProgramAndWindowsVersions) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_ABOUT, "Über Gebührenauswertung");
    ASSERT_NE(dlg, nullptr);
    char line[128] = {};
    GetDlgItemTextA(dlg, IDC_WINDOWS_VERSION, line, sizeof line);
    EXPECT_EQ(std::string(line).rfind("Microsoft Windows NT Version ", 0), 0u) << line;
    GetDlgItemTextA(dlg, IDC_PROGRAM_VERSION, line, sizeof line);
    EXPECT_EQ(std::string(line), "Version " KALMO_VERSION_STRING);
    Sleep(200);
    screenshot("about-box");
    EXPECT_TRUE(dismiss(dlg, IDOK));
    EXPECT_TRUE(p.close());
}

std::string charge_file_bytes() {
    auto store = std::make_unique<data::ChargeStore>();
    data::ChargeRecord r;
    r.subscriber = 21;
    r.month = 3;
    r.day = 4;
    r.hour = 10;
    r.minute = 30;
    r.duration = 95;
    r.amount = 46;
    store->set_count(2);
    store->set_record(0, r);
    r.day = 5;
    store->set_record(1, r);
    const auto image = store->save_image();
    return std::string(image.begin(), image.end());
}

TEST_F(Gui, OpeningAChargeFileNamesItInTheTitleAtTheNextMenuSelection) {
    const std::string gds = dir.file("Jan.GDS");
    ASSERT_TRUE(write_file(gds, charge_file_bytes()));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_FILE_OPEN, "Open");
    ASSERT_NE(dlg, nullptr) << "no Open dialog";
    ASSERT_TRUE(type_file_name(dlg, gds));
    Sleep(200);
    screenshot("open-dialog");
    ASSERT_TRUE(dismiss(dlg, IDOK));
    Sleep(300);
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung") << "changes only at the next menu selection";
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Gebührendaten Jan.GDS");
    auto menu = p.menu();
    EXPECT_FALSE(menu[IDM_FILE_SAVE].grey) << "records and a name: Save";
    EXPECT_FALSE(menu[IDM_FILE_SAVE_AS].grey);
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("GebFile=" + gds + "\r\n"), std::string::npos) << ini();
}

TEST_F(Gui, SaveAsWritesDataAndExportAndSaveAsksBeforeReplacing) {
    const std::string jan = dir.file("Jan.GDS");
    const std::string feb = dir.file("Feb.GDS");
    ASSERT_TRUE(write_file(jan, charge_file_bytes()));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    ASSERT_TRUE(open_charge_file(p, jan));

    HWND dlg = p.open(IDM_FILE_SAVE_AS, "Save As"); // the toolbar's "Speichern"
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(choose_file(dlg, feb));
    ASSERT_TRUE(wait_for([&] { return !read_file(dir.file("Feb.ASC")).empty(); }));
    EXPECT_EQ(read_file(feb), read_file(jan));
    const std::string export_text = read_file(dir.file("Feb.ASC"));
    EXPECT_EQ(std::count(export_text.begin(), export_text.end(), '\n'), 2) << export_text;
    EXPECT_EQ(export_text.rfind("15;", 0), 0u) << "subscriber 21 in hex first";
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Gebührendaten Feb.GDS");

    // "&Speichern" to the same name asks first; No leaves the file alone.
    ASSERT_TRUE(write_file(feb, "changed"));
    HWND box = p.open(IDM_FILE_SAVE, "Information");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Das File " + feb + ". existiert bereits überschreiben ?");
    Sleep(200);
    screenshot("save-question");
    ASSERT_TRUE(dismiss(box, IDNO));
    EXPECT_EQ(read_file(feb), "changed");
    // Yes replaces it.
    box = p.open(IDM_FILE_SAVE, "Information");
    ASSERT_NE(box, nullptr);
    click(box, IDYES);
    ASSERT_TRUE(wait_for([&] { return read_file(feb) == read_file(jan); }));
    EXPECT_TRUE(p.close());
}

TEST_F(Gui, AFailedOpenKeepsTheCurrentFileSoSaveCannotOverwriteTheOther) {
    const std::string jan = dir.file("Jan.GDS");
    const std::string other = dir.file("Fremd.GDS");
    ASSERT_TRUE(write_file(jan, charge_file_bytes()));
    ASSERT_TRUE(write_file(other, "keine Gebührendaten"));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    ASSERT_TRUE(open_charge_file(p, jan));

    ASSERT_TRUE(open_charge_file(p, other));
    EXPECT_EQ(answer(p, "Error", IDOK), "Error " + other + " ist keine Gebührendatei.");
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Gebührendaten Jan.GDS");
    ASSERT_TRUE(p.close());
    EXPECT_EQ(read_file(other), "keine Gebührendaten");
    EXPECT_NE(ini().find("GebFile=" + jan + "\r\n"), std::string::npos) << ini();
}

TEST_F(Gui, SavingAnEmptyStoreIsRefused) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_FILE_SAVE_AS, "Save As");
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(choose_file(dlg, dir.file("leer.GDS")));
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Gebührendatenspeicher leer\nFunktion abgebrochen");
    EXPECT_EQ(GetFileAttributesA(dir.file("leer.GDS").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(p.close());
    EXPECT_NE(ini().find("GebFile=" + dir.file("leer.GDS") + "\r\n"), std::string::npos)
        << "the chosen name is kept even though nothing was written";
}

using GuiExchange = WithExchange<Gui>;

bool is_count_text(const std::string& text, const std::string& what) {
    // " %d <what> empfangen "
    std::size_t i = 1;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    return text.size() > 2 && text[0] == ' ' && i > 1 &&
           text.substr(i) == " " + what + " empfangen ";
}

TEST_F(GuiExchange, ReadingChargesShowsProgressThenTheCountAndEnablesSaveAs) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND progress = p.open(IDM_READ_CHARGES, "Datenübertragung");
    ASSERT_NE(progress, nullptr);
    Sleep(300);
    screenshot("transfer-progress");
    HWND box = p.dialog("Information", 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(is_count_text(message_text(box), "Gebührensätze")) << message_text(box);
    EXPECT_FALSE(IsWindow(progress)) << "the dialog goes before the final message";
    screenshot("transfer-done");
    ASSERT_TRUE(dismiss(box, IDOK));
    // The records read open the charge evaluation.
    HWND list = p.dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(dismiss(list, IDOK));
    auto menu = p.menu();
    EXPECT_FALSE(menu[IDM_FILE_SAVE_AS].grey) << "records to save";
    EXPECT_TRUE(menu[IDM_FILE_SAVE].grey) << "but no file name yet";
    EXPECT_TRUE(p.close());
}

TEST_F(GuiExchange, CancelEndsTheTransferAndStillReportsTheCount) {
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND progress = p.open(IDM_READ_CALLS, "Datenübertragung");
    ASSERT_NE(progress, nullptr);
    // Cancel once the blocks come (a cancelled connection ends without a final message).
    ASSERT_TRUE(wait_for(
        [&] {
            return window_text(GetDlgItem(progress, IDC_PROGRESS_LINE1))
                       .find("lese Anrufdatensatz") != std::string::npos;
        },
        20000));
    // While the transfer waits, the main window refuses to close.
    PostMessageA(p.main(), WM_CLOSE, 0, 0);
    click(progress, IDC_PROGRESS_CANCEL);
    HWND box = p.dialog("Information", 30000);
    ASSERT_NE(box, nullptr);
    const std::string text = message_text(box);
    EXPECT_TRUE(is_count_text(text, "Anrufdatensätze") || text == " Anrufliste leer ") << text;
    EXPECT_TRUE(p.running());
    ASSERT_TRUE(dismiss(box, IDOK));
    // The count alone would look like a complete read: the program says that it was not
    // (unless the read was over before the cancel came). The connection was made: the call
    // list opens when calls came before the cancel. Either may take its time on a busy machine.
    HWND warning = nullptr;
    HWND list = nullptr;
    auto next = [&](int ms) {
        return wait_for(
            [&] {
                warning = p.dialog("Information", 0);
                list = p.dialog("Anrufliste", 0);
                return warning || list;
            },
            ms);
    };
    if (next(20000) && warning) {
        EXPECT_EQ(message_text(warning), app::string_text(app::str::ReadIncomplete));
        ASSERT_TRUE(dismiss(warning, IDOK));
        next(20000);
    }
    if (list) {
        ASSERT_TRUE(dismiss(list, IDOK));
    }
    EXPECT_TRUE(p.close());
    // After a cancel the remaining attempts still send their requests; the exchange answers
    // them (about half a second each) after the program has gone. Take the answers off the
    // line until it is quiet, so that the next test finds the exchange idle.
    HANDLE com1 = CreateFileA("\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(com1, INVALID_HANDLE_VALUE);
    COMMTIMEOUTS quiet{};
    quiet.ReadIntervalTimeout = MAXDWORD;
    quiet.ReadTotalTimeoutMultiplier = MAXDWORD;
    quiet.ReadTotalTimeoutConstant = 1500; // a read that waits this long for a byte: quiet
    SetCommTimeouts(com1, &quiet);
    char answer_bytes[256];
    DWORD got = 0;
    EXPECT_TRUE(wait_for([&] {
        return !ReadFile(com1, answer_bytes, sizeof answer_bytes, &got, nullptr) || got == 0;
    }));
    CloseHandle(com1);
}

// A second simulated exchange on COM2 whose reply to the third request comes 3.5 s late, past
// the receive deadline (scripts/test-windows.sh starts it). The program is killed in the middle
// of the read: its journal beside it is a charge data file holding the blocks received, each
// record once.
TEST_F(GuiExchange, ALateReplyAndAKillLeaveAnExactJournal) {
    if (!std::getenv("KALMO_LATE_EXCHANGE")) GTEST_SKIP() << "no late exchange on COM2";
    ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"), "[Com]\r\nComPort=1\r\n"));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND progress = p.open(IDM_READ_CHARGES, "Datenübertragung");
    ASSERT_NE(progress, nullptr);
    // Past the late block and two more.
    ASSERT_TRUE(wait_for(
        [&] {
            const std::string line = window_text(GetDlgItem(progress, IDC_PROGRESS_LINE1));
            const auto at = line.find("Nr.: ");
            return at != std::string::npos && std::atoi(line.c_str() + at + 5) >= 40;
        },
        60000));
    p.kill();

    const std::string folder = dir.file("Journal\\");
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*.GDS").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    const std::string name = found.cFileName;
    EXPECT_FALSE(FindNextFileA(find, &found)) << "one journal for one read";
    FindClose(find);
    EXPECT_EQ(name.size(), std::string("2026-12-07_103000.GDS").size()) << name;
    const std::string file = read_file(folder + name);
    ASSERT_GE(file.size(), data::kChargeImageHead);
    EXPECT_EQ(file.substr(0, 31), data::kChargeMagic);
    const std::size_t count =
        static_cast<unsigned char>(file[32]) | static_cast<unsigned char>(file[33]) << 8;
    EXPECT_GE(count, 40u);
    EXPECT_EQ(count % 10, 0u) << "whole blocks";
    EXPECT_EQ(file.size(), data::kChargeImageHead + count * data::kChargeRecordSize);
    std::set<std::string> records;
    for (std::size_t i = 0; i < count; ++i)
        records.insert(file.substr(data::kChargeImageHead + i * data::kChargeRecordSize,
                                   data::kChargeRecordSize));
    EXPECT_EQ(records.size(), count) << "no record twice";
}

} // namespace
} // namespace kalmo::gui
