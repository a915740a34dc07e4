// The phonebook in the Windows program, driven from outside under Wine: the phonebook named in
// the settings at start-up, the phonebook editor, the project names editor, the file dialogs of
// the "Telefonbuch" menu and the save question that writes the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "driver.h"

namespace kalmo::gui {
namespace {

constexpr char kEditorCaption[] = "Telefonbuch editieren";
constexpr char kProjectsCaption[] = "Projekte editieren";
constexpr char kSaveQuestion[] = "Telefonbuch wurde geändert\nÄnderungen speichern ?";

// Bäckerei in project 1, Müller without project; sorted by name after reading.
constexpr char kBook[] = "[Telefonbuch]\r\n"
                         "Müller;;89;4711;\r\n"
                         "[Project 01;Kunde A]\r\n"
                         "Bäckerei;049;89;123456;\r\n"
                         "[Ende Telefonbuch]\r\n";
constexpr char kBaeckereiLine[] =
    " Bäckerei                   | 0049 | 089   | 123456       | Kunde A ";
constexpr char kMuellerLine[] = " Müller                     |      | 089   | 4711         |  ";

std::string message_text(HWND box) {
    return window_text(GetDlgItem(box, 65535));
}

int selected(HWND list) {
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

void set_field(HWND dlg, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// An edit field's text: GetWindowText does not ask a control of another process for it.
std::string field(HWND dlg, int id) {
    wchar_t wide[256] = {};
    SendMessageW(GetDlgItem(dlg, id), WM_GETTEXT, 255, reinterpret_cast<LPARAM>(wide));
    char out[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, out, sizeof out - 1, nullptr, nullptr);
    return out;
}

// Selects a line as a click does: the selection, then the list box's notification.
void select_line(HWND dlg, int line) {
    HWND list = GetDlgItem(dlg, 1005);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(1005, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Answers the message box with `caption` and waits until it has gone; its text.
std::string answer(const Program& p, const std::string& caption, int button) {
    HWND box = p.dialog(caption);
    if (!box) return "<no box " + caption + ">";
    const std::string text = message_text(box);
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    wait_for([&] { return !IsWindow(box); });
    return text;
}

// Types a full path into a file dialog and presses its OK button.
void choose_file(HWND dlg, const std::string& path) {
    HWND name = GetDlgItem(dlg, 1148); // the file name field (combo box in the Explorer style)
    if (!name) name = GetDlgItem(dlg, 1152);
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dlg); }));
}

// The file type choice of a file dialog (its first entry).
std::string file_type(HWND dlg) {
    return combo_text(GetDlgItem(dlg, 1136), 0);
}

class GuiPhonebook : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (scripts/test-windows.sh starts Xvfb)";
    }
    std::string ini() const { return read_file(dir.file("Kalmo32.ini")); }
    // Settings naming `phonebook`, with the toolbar hidden.
    void write_settings(const std::string& phonebook) {
        ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"),
                               "[Files]\r\nTelbook=" + phonebook +
                                   "\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                                   "[Toolbar]\r\nShowBar=0\r\nText=1\r\nLargeIcons=0\r\n"));
    }
    // The phonebook kBook beside the program, named in the settings.
    std::string with_book() {
        const std::string path = dir.file("KUNDEN.TLB");
        EXPECT_TRUE(write_file(path, kBook));
        write_settings(path);
        return path;
    }
    test::TempDir dir;
};

TEST_F(GuiPhonebook, PhonebookNamedInTheSettingsIsReadAtStartAndNamedInTheTitle) {
    const std::string path = with_book();
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(p.dialog("", 500), nullptr) << "no message while reading a good file";
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Telefonbuch KUNDEN.TLB");
    auto menu = p.menu();
    EXPECT_FALSE(menu[302].grey);
    EXPECT_FALSE(menu[114].grey);
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("Telbook=" + path + "\r\n"), std::string::npos) << ini();
    EXPECT_EQ(read_file(path), kBook) << "nothing is written without a change";
}

TEST_F(GuiPhonebook, MissingPhonebookIsReportedDroppedAndWrittenBackEmpty) {
    const std::string path = dir.file("WEG.TLB");
    write_settings(path);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND box = p.dialog("");
    ASSERT_NE(box, nullptr) << "no message for the missing file";
    EXPECT_EQ(message_text(box), "Error kann " + path + " nicht öffnen");
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(box); }));
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung");
    auto menu = p.menu();
    EXPECT_TRUE(menu[302].grey);
    EXPECT_TRUE(menu[114].grey);
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("[Files]\r\nTelbook=\r\n"), std::string::npos) << ini();
}

TEST_F(GuiPhonebook, FileWithoutEntriesIsDroppedAfterItsMessage) {
    const std::string path = dir.file("LEER.TLB");
    ASSERT_TRUE(write_file(path, "[Telefonbuch]\r\n[Ende Telefonbuch]\r\n"));
    write_settings(path);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Keinen Eintrag gefunden");
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung");
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("[Files]\r\nTelbook=\r\n"), std::string::npos) << ini();
}

TEST_F(GuiPhonebook, EditorInsertsChangesDeletesSearchesAndSavesOnRequest) {
    const std::string path = with_book();
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(302);
    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr) << "no phonebook editor";
    HWND list = GetDlgItem(dlg, 1005);
    EXPECT_EQ(list_lines(list), (std::vector<std::string>{kBaeckereiLine, kMuellerLine}));
    EXPECT_EQ(selected(list), 0);
    // The first entry in the fields, its project chosen in the combo box of defined projects.
    EXPECT_EQ(field(dlg, 1000), "Bäckerei");
    EXPECT_EQ(field(dlg, 1001), "123456");
    EXPECT_EQ(field(dlg, 1002), "089");
    EXPECT_EQ(field(dlg, 1003), "0049");
    HWND combo = GetDlgItem(dlg, 1057);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(combo_text(combo, 0), "");
    EXPECT_EQ(combo_text(combo, 1), "Kunde A");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    for (int id : {1031, 1032, 1012, 1016, 1017, 1018, 1019, 1020, 1033})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, 1000), EM_GETLIMITTEXT, 0, 0), 24);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, 1001), EM_GETLIMITTEXT, 0, 0), 11);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, 1002), EM_GETLIMITTEXT, 0, 0), 7);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, 1003), EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, 1004), EM_GETLIMITTEXT, 0, 0), 24);
    Sleep(300);
    screenshot("phonebook-editor");

    // A bad number is refused with its message; the fields keep what was typed.
    set_field(dlg, 1000, "Apotheke");
    set_field(dlg, 1001, "12*3");
    set_field(dlg, 1002, "");
    set_field(dlg, 1003, "");
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    click(dlg, 1033);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Rufnummer fehlerhaft oder fehlt");
    EXPECT_EQ(list_lines(list).size(), 2u);
    EXPECT_EQ(field(dlg, 1001), "12*3");

    // Inserted, re-sorted by name, its line selected.
    set_field(dlg, 1001, "4711");
    click(dlg, 1033);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 3; }));
    EXPECT_EQ(list_lines(list), (std::vector<std::string>{
                                    " Apotheke                   |      |       | 4711         |  ",
                                    kBaeckereiLine, kMuellerLine}));
    EXPECT_EQ(selected(list), 0);

    // The same entry again: refused as a duplicate.
    click(dlg, 1033);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Eintrag bereits im Telefonbuch vorhanden");

    // Change Müller's name: selecting the line shows the entry in the fields.
    select_line(dlg, 2);
    ASSERT_TRUE(wait_for([&] { return field(dlg, 1000) == "Müller"; }));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0) << "no project";
    set_field(dlg, 1000, "Maier");
    click(dlg, 1032);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).back().rfind(" Maier ", 0) == 0; }));
    EXPECT_EQ(list_lines(list).back(),
              " Maier                      |      | 089   | 4711         |  ");

    // Delete the first line: the new first line is selected.
    select_line(dlg, 0);
    ASSERT_TRUE(wait_for([&] { return field(dlg, 1000) == "Apotheke"; }));
    click(dlg, 1031);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 2; }));
    EXPECT_EQ(list_lines(list)[0], kBaeckereiLine);
    EXPECT_EQ(selected(list), 0);

    // The search selects the first name that begins with the term, case-sensitive.
    set_field(dlg, 1004, "M");
    EXPECT_EQ(selected(list), 1);
    select_line(dlg, 0);
    ASSERT_TRUE(wait_for([&] { return field(dlg, 1000) == "Bäckerei"; }));
    set_field(dlg, 1004, "m");
    EXPECT_EQ(selected(list), 0) << "nothing found, the selection stays";
    set_field(dlg, 1004, "Ma");
    EXPECT_EQ(selected(list), 1);
    EXPECT_EQ(field(dlg, 1000), "Bäckerei") << "the search does not show the entry";

    // "OK", then the save question; the file exists, so the overwrite question follows.
    click(dlg, IDOK);
    EXPECT_EQ(answer(p, "Information", IDYES), kSaveQuestion);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(answer(p, "Information", IDYES),
              "Das File " + path + ". existiert bereits überschreiben ?");
    // The file is replaced as a whole; wait for its new content rather than for any change.
    const std::string saved = "[Telefonbuch]\r\n"
                              "Maier;;89;4711;\r\n"
                              "[Project 01;Kunde A]\r\n"
                              "Bäckerei;049;89;123456;\r\n"
                              "[Ende Telefonbuch]\r\n";
    EXPECT_TRUE(wait_for([&] { return read_file(path) == saved; }));
    EXPECT_EQ(read_file(path), saved);
    EXPECT_TRUE(p.close());
}

TEST_F(GuiPhonebook, EditorClosedAfterASortOnlyAsksNothing) {
    const std::string path = with_book();
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(302);
    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, 1005);
    click(dlg, 1017); // by number: 4711 before 123456
    ASSERT_TRUE(wait_for([&] { return list_lines(list).front() == kMuellerLine; }));
    click(dlg, IDOK);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(p.dialog("Information", 500), nullptr);
    EXPECT_TRUE(p.close());
    EXPECT_EQ(read_file(path), kBook);
}

TEST_F(GuiPhonebook, ConvertersChangeEveryNameAndDeletingAllDisablesTheEntryButtons) {
    const std::string path = with_book();
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(302);
    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, 1005);
    // "Ansi zu Oem": ä and ü become the OEM bytes, shown in the ANSI font; back again.
    click(dlg, 1087);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).front() != kBaeckereiLine; }));
    EXPECT_EQ(list_lines(list).front().substr(0, 9), " B\x84"
                                                     "ckerei");
    EXPECT_EQ(list_lines(list).back().substr(0, 7), " M\x81ller");
    click(dlg, 1088);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).front() == kBaeckereiLine; }));
    EXPECT_EQ(list_lines(list).back(), kMuellerLine);

    // "Ändern" without a selected line.
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    click(dlg, 1032);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "kein Eintrag makiert");

    // Deleting the last line selects the one before; deleting the only entry empties the list
    // and disables the buttons that need entries.
    select_line(dlg, 1);
    ASSERT_TRUE(wait_for([&] { return field(dlg, 1000) == "Müller"; }));
    click(dlg, 1031);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 1; }));
    EXPECT_EQ(selected(list), 0);
    click(dlg, 1031);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).empty(); }));
    for (int id : {1031, 1032, 1012, 1016, 1017, 1018, 1019, 1020})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;
    for (int id : {1033, 1087, 1088, 1004, 1057, IDOK})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;

    // Closed with the close box; the changes are kept in memory only when No is answered.
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    EXPECT_EQ(answer(p, "Information", IDNO), kSaveQuestion);
    EXPECT_TRUE(p.close());
    EXPECT_EQ(read_file(path), kBook);
}

TEST_F(GuiPhonebook, ProjectNamesEditorEmptiesADuplicateNameWithItsMessage) {
    const std::string path = with_book();
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(114);
    HWND dlg = p.dialog(kProjectsCaption);
    ASSERT_NE(dlg, nullptr) << "no project names editor";
    EXPECT_EQ(field(dlg, 1059), "Kunde A");
    for (int id = 1060; id <= 1068; ++id)
        EXPECT_EQ(field(dlg, id), "") << id;
    set_field(dlg, 1060, "Kunde A");
    set_field(dlg, 1062, "  Kunde B  ");
    Sleep(300);
    screenshot("project-names-editor");
    click(dlg, IDOK);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Projekteintrag doppelt\nEintrag gelöscht");
    EXPECT_EQ(answer(p, "Information", IDNO), kSaveQuestion);
    EXPECT_FALSE(IsWindow(dlg));

    // The editor offers the defined projects: 1 and 4, the duplicate in 2 emptied, the blanks
    // around "Kunde B" trimmed.
    p.command(302);
    HWND editor = p.dialog(kEditorCaption);
    ASSERT_NE(editor, nullptr);
    HWND combo = GetDlgItem(editor, 1057);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(combo_text(combo, 1), "Kunde A");
    EXPECT_EQ(combo_text(combo, 2), "Kunde B");
    click(editor, IDOK);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(editor); }));

    // Opening again shows the names kept; the close box discards what was typed.
    p.command(114);
    dlg = p.dialog(kProjectsCaption);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(field(dlg, 1060), "");
    EXPECT_EQ(field(dlg, 1062), "Kunde B");
    set_field(dlg, 1063, "Verworfen");
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(p.dialog("Information", 500), nullptr) << "nothing changed, no question";
    EXPECT_TRUE(p.close());
    EXPECT_EQ(read_file(path), kBook) << "No was answered";
}

TEST_F(GuiPhonebook, NewPhonebookNamesProjectsThenEntriesAndWritesTheFile) {
    const std::string path = dir.file("NEU.TLB");
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    p.command(300);
    HWND files = p.dialog("Telefonbuch Neu");
    ASSERT_NE(files, nullptr) << "no file dialog";
    EXPECT_EQ(file_type(files), "Telefonbuch Files (*.TLB)");
    choose_file(files, path);

    HWND names = p.dialog(kProjectsCaption);
    ASSERT_NE(names, nullptr);
    set_field(names, 1059, "Bau");
    click(names, IDOK);
    // Names alone are not saved: the empty phonebook is refused.
    EXPECT_EQ(answer(p, "Information", IDYES), kSaveQuestion);
    EXPECT_EQ(answer(p, "Fehler", IDOK),
              "kein Eintrag im Telefonbuch vorhanden\nFunktion abgebrochen");

    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, 1005);
    EXPECT_TRUE(list_lines(list).empty());
    for (int id : {1031, 1032, 1012, 1016, 1017, 1018, 1019, 1020})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, 1033)));
    // An empty list offers no projects until an entry is shown; the first insertion has none.
    set_field(dlg, 1000, "Zeta");
    set_field(dlg, 1001, "99");
    set_field(dlg, 1002, "089");
    click(dlg, 1033);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 1; }));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, 1031)));
    HWND combo = GetDlgItem(dlg, 1057);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    // Now "Bau" is offered; the same number under another name in project 1 is taken.
    set_field(dlg, 1000, "Zeta Bau");
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    click(dlg, 1033);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 2; }));
    EXPECT_EQ(list_lines(list)[1],
              " Zeta Bau                   |      | 089   | 99           | Bau ");
    EXPECT_EQ(selected(list), 1);
    click(dlg, IDOK);
    EXPECT_EQ(answer(p, "Information", IDYES), kSaveQuestion);
    ASSERT_TRUE(wait_for([&] { return !read_file(path).empty(); }));
    EXPECT_EQ(read_file(path), "[Telefonbuch]\r\nZeta;;89;99;\r\n[Project 01;Bau]\r\n"
                               "Zeta Bau;;89;99;\r\n[Ende Telefonbuch]\r\n");

    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Telefonbuch NEU.TLB");
    auto menu = p.menu();
    EXPECT_FALSE(menu[302].grey);
    EXPECT_FALSE(menu[114].grey);

    // The charge file dialog has its own filter back after the phonebook borrowed it.
    p.command(101);
    HWND open = p.dialog("Open");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(file_type(open), "Gebühren Files (*.GDS)");
    PostMessageA(GetDlgItem(open, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(open); }));
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("Telbook=" + path + "\r\n"), std::string::npos) << ini();

    // The dialog's choice also went at once into the profile of the bare name.
    char copy[300] = {};
    GetPrivateProfileStringA("Files", "Telbook", "", copy, sizeof copy, "Kalmo32.ini");
    EXPECT_EQ(std::string(copy), path);
}

TEST_F(GuiPhonebook, OpenPhonebookReadsTheChosenFileIntoTheEditor) {
    const std::string path = dir.file("KUNDEN.TLB");
    ASSERT_TRUE(write_file(path, kBook));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    // Cancel changes nothing.
    p.command(301);
    HWND files = p.dialog("Telefonbuch Öffnen");
    ASSERT_NE(files, nullptr);
    PostMessageA(GetDlgItem(files, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(files); }));
    EXPECT_TRUE(p.menu()[302].grey);

    p.command(301);
    files = p.dialog("Telefonbuch Öffnen");
    ASSERT_NE(files, nullptr);
    choose_file(files, path);
    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(list_lines(GetDlgItem(dlg, 1005)),
              (std::vector<std::string>{kBaeckereiLine, kMuellerLine}));
    click(dlg, IDOK);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(dlg); }));
    EXPECT_EQ(p.dialog("Information", 500), nullptr);
    p.menu_select();
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung - Telefonbuch KUNDEN.TLB");
    EXPECT_FALSE(p.menu()[114].grey);
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("Telbook=" + path + "\r\n"), std::string::npos) << ini();
}

} // namespace
} // namespace kalmo::gui
