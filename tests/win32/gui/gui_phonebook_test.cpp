// The phonebook in the Windows program, driven from outside under Wine: the phonebook named in
// the settings at start-up, the phonebook editor, the project names editor, the file dialogs of
// the "Telefonbuch" menu and the save question that writes the file.
#include <windows.h>

#include <dlgs.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "win32/controls.h"
#include "win32/resource.h"
#include "driver.h"
#include "gui_fixture.h"

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

// The editor's buttons that need entries: enabled while the list has lines.
void expect_entry_buttons(HWND dlg, bool enabled) {
    for (int id : {IDC_PB_DELETE, IDC_PB_CHANGE, IDC_PRINT, IDC_PB_SORT_NAME, IDC_PB_SORT_NUMBER,
                   IDC_PB_SORT_AREA_CODE, IDC_PB_SORT_COUNTRY_CODE, IDC_PB_SORT_PROJECT})
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE, enabled) << id;
}

int selected(HWND list) {
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

// Selects a line as a click does: the selection, then the list box's notification.
void select_line(HWND dlg, int line) {
    HWND list = GetDlgItem(dlg, IDC_PB_LIST);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_PB_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// The file type choice of a file dialog (its first entry).
std::string file_type(HWND dlg) {
    return combo_text(GetDlgItem(dlg, cmb1), 0);
}

class GuiPhonebook : public GuiTest {
protected:
    // Settings naming `phonebook`, with the toolbar hidden.
    void write_settings(const std::string& phonebook) {
        ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"),
                               "[Files]\r\nTelbook=" + phonebook +
                                   "\r\nGebFile=\r\n[Com]\r\nComPort=0\r\n"
                                   "[Toolbar]\r\nShowBar=0\r\nText=1\r\nLargeIcons=0\r\n"));
    }
    // Writes the phonebook kBook beside the program and names it in the settings; the
    // program's directory.
    std::string with_book() {
        EXPECT_TRUE(write_file(book, kBook));
        write_settings(book);
        return dir.path();
    }
    // Ends the program; the phonebook kBook is as it was.
    void close_keeping_book(Program& p) {
        EXPECT_TRUE(p.close());
        EXPECT_EQ(read_file(book), kBook);
    }
    const std::string book = dir.file("KUNDEN.TLB");
};

// At the next menu selection: the title, and the phonebook's menu items enabled while it is
// loaded (named `loaded`).
void expect_phonebook(Program& p, const char* loaded) {
    const std::string title = "Trelvik Gebührenauswertung";
    p.menu_select();
    EXPECT_EQ(p.title(), *loaded ? title + " - Telefonbuch " + loaded : title);
    auto menu = p.menu();
    EXPECT_EQ(menu[IDM_PHONEBOOK_EDIT].grey, !*loaded);
    EXPECT_EQ(menu[IDM_PROJECT_NAMES].grey, !*loaded);
}

// The settings naming the phonebook as the program writes them, or with that key alone; the
// phonebook they name when it is there.
struct AtStart {
    bool full_settings;
    const char* book;
};

void PrintTo(const AtStart& c, std::ostream* os) {
    *os << (c.full_settings ? "full settings" : "phonebook key alone");
}

class GuiPhonebookAtStart : public GuiPhonebook, public ::testing::WithParamInterface<AtStart> {
protected:
    void settings(const std::string& phonebook) {
        if (GetParam().full_settings)
            write_settings(phonebook);
        else
            ASSERT_TRUE(
                write_file(dir.file("Kalmo32.ini"), "[Files]\r\nTelbook=" + phonebook + "\r\n"));
    }
};

TEST_P(GuiPhonebookAtStart, PhonebookNamedInTheSettingsIsReadAtStartAndNamedInTheTitle) {
    const std::string path = dir.file("KUNDEN.TLB");
    ASSERT_TRUE(write_file(path, GetParam().book));
    settings(path);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(p.dialog("", 500), nullptr) << "no message while reading a good file";
    expect_phonebook(p, "KUNDEN.TLB");
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("Telbook=" + path + "\r\n"), std::string::npos) << ini();
    EXPECT_EQ(read_file(path), GetParam().book) << "nothing is written without a change";
}

TEST_P(GuiPhonebookAtStart, MissingPhonebookIsReportedDroppedAndWrittenBackEmpty) {
    const std::string path = dir.file("WEG.TLB");
    settings(path);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(answer(p, "Error", IDOK), "Error kann " + path + " nicht öffnen");
    expect_phonebook(p, "");
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("[Files]\r\nTelbook=\r\n"), std::string::npos) << ini();
}

INSTANTIATE_TEST_SUITE_P(
    Settings, GuiPhonebookAtStart,
    ::testing::Values(AtStart{true, kBook},
                      AtStart{false, "[Telefonbuch]\r\n[Project 02;Kunde A]\r\n"
                                     "Bäckerei;049;89;123456;\r\n[Ende Telefonbuch]\r\n"}));

TEST_F(GuiPhonebook, FileWithoutEntriesIsDroppedAfterItsMessage) {
    const std::string path = dir.file("LEER.TLB");
    ASSERT_TRUE(write_file(path, "[Telefonbuch]\r\n[Ende Telefonbuch]\r\n"));
    write_settings(path);
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Keinen Eintrag gefunden");
    expect_phonebook(p, "");
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("[Files]\r\nTelbook=\r\n"), std::string::npos) << ini();
}

TEST_F(GuiPhonebook, EditorInsertsChangesDeletesSearchesAndSavesOnRequest) {
    Program p(with_book());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_PHONEBOOK_EDIT, kEditorCaption);
    ASSERT_NE(dlg, nullptr) << "no phonebook editor";
    HWND list = GetDlgItem(dlg, IDC_PB_LIST);
    EXPECT_EQ(list_lines(list), (std::vector<std::string>{kBaeckereiLine, kMuellerLine}));
    EXPECT_EQ(selected(list), 0);
    // Lines wider than the list can be scrolled to: the extent is the widest line's.
    EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);
    // The first entry in the fields, its project chosen in the combo box of defined projects.
    EXPECT_EQ(field(dlg, IDC_PB_NAME), "Bäckerei");
    EXPECT_EQ(field(dlg, IDC_PB_NUMBER), "123456");
    EXPECT_EQ(field(dlg, IDC_PB_AREA_CODE), "089");
    EXPECT_EQ(field(dlg, IDC_PB_COUNTRY_CODE), "0049");
    HWND combo = GetDlgItem(dlg, IDC_PB_PROJECT);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(combo_text(combo, 0), "");
    EXPECT_EQ(combo_text(combo, 1), "Kunde A");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    expect_entry_buttons(dlg, true);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_PB_INSERT)));
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_PB_NAME), EM_GETLIMITTEXT, 0, 0), 24);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_PB_NUMBER), EM_GETLIMITTEXT, 0, 0), 11);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_PB_AREA_CODE), EM_GETLIMITTEXT, 0, 0), 7);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_PB_COUNTRY_CODE), EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(GetDlgItem(dlg, IDC_PB_SEARCH), EM_GETLIMITTEXT, 0, 0), 24);
    Sleep(300);
    screenshot("phonebook-editor");

    // A bad number is refused with its message; the fields keep what was typed.
    set_field(dlg, IDC_PB_NAME, "Apotheke");
    set_field(dlg, IDC_PB_NUMBER, "12*3");
    set_field(dlg, IDC_PB_AREA_CODE, "");
    set_field(dlg, IDC_PB_COUNTRY_CODE, "");
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    click(dlg, IDC_PB_INSERT);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Rufnummer fehlerhaft oder fehlt");
    EXPECT_EQ(list_lines(list).size(), 2u);
    EXPECT_EQ(field(dlg, IDC_PB_NUMBER), "12*3");

    // Inserted, re-sorted by name, its line selected.
    set_field(dlg, IDC_PB_NUMBER, "4711");
    click(dlg, IDC_PB_INSERT);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 3; }));
    EXPECT_EQ(list_lines(list), (std::vector<std::string>{
                                    " Apotheke                   |      |       | 4711         |  ",
                                    kBaeckereiLine, kMuellerLine}));
    EXPECT_EQ(selected(list), 0);

    // The same entry again: refused as a duplicate.
    click(dlg, IDC_PB_INSERT);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Eintrag bereits im Telefonbuch vorhanden");

    // Change Müller's name: selecting the line shows the entry in the fields.
    select_line(dlg, 2);
    ASSERT_TRUE(wait_for([&] { return field(dlg, IDC_PB_NAME) == "Müller"; }));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0) << "no project";
    set_field(dlg, IDC_PB_NAME, "Maier");
    click(dlg, IDC_PB_CHANGE);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).back().rfind(" Maier ", 0) == 0; }));
    EXPECT_EQ(list_lines(list).back(),
              " Maier                      |      | 089   | 4711         |  ");

    // Delete the first line: the new first line is selected.
    select_line(dlg, 0);
    ASSERT_TRUE(wait_for([&] { return field(dlg, IDC_PB_NAME) == "Apotheke"; }));
    click(dlg, IDC_PB_DELETE);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 2; }));
    EXPECT_EQ(list_lines(list)[0], kBaeckereiLine);
    EXPECT_EQ(selected(list), 0);

    // The search selects the first name that begins with the term, case-sensitive.
    set_field(dlg, IDC_PB_SEARCH, "M");
    EXPECT_EQ(selected(list), 1);
    select_line(dlg, 0);
    ASSERT_TRUE(wait_for([&] { return field(dlg, IDC_PB_NAME) == "Bäckerei"; }));
    set_field(dlg, IDC_PB_SEARCH, "m");
    EXPECT_EQ(selected(list), 0) << "nothing found, the selection stays";
    set_field(dlg, IDC_PB_SEARCH, "Ma");
    EXPECT_EQ(selected(list), 1);
    EXPECT_EQ(field(dlg, IDC_PB_NAME), "Bäckerei") << "the search does not show the entry";

    // "OK", then the save question; the file exists, so the overwrite question follows.
    click(dlg, IDOK);
    EXPECT_EQ(answer(p, "Information", IDYES), kSaveQuestion);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(answer(p, "Information", IDYES),
              "Das File " + book + ". existiert bereits überschreiben ?");
    // The file is replaced as a whole; wait for its new content rather than for any change.
    const std::string saved = "[Telefonbuch]\r\n"
                              "Maier;;89;4711;\r\n"
                              "[Project 01;Kunde A]\r\n"
                              "Bäckerei;049;89;123456;\r\n"
                              "[Ende Telefonbuch]\r\n";
    EXPECT_TRUE(wait_for([&] { return read_file(book) == saved; }));
    EXPECT_EQ(read_file(book), saved);
    EXPECT_TRUE(p.close());
}

TEST_F(GuiPhonebook, EditorClosedAfterASortOnlyAsksNothing) {
    Program p(with_book());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_PHONEBOOK_EDIT, kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, IDC_PB_LIST);
    click(dlg, IDC_PB_SORT_NUMBER); // by number: 4711 before 123456
    ASSERT_TRUE(wait_for([&] { return list_lines(list).front() == kMuellerLine; }));
    ASSERT_TRUE(dismiss(dlg, IDOK));
    EXPECT_EQ(p.dialog("Information", 500), nullptr);
    close_keeping_book(p);
}

TEST_F(GuiPhonebook, ConvertersChangeEveryNameAndDeletingAllDisablesTheEntryButtons) {
    Program p(with_book());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_PHONEBOOK_EDIT, kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, IDC_PB_LIST);
    // "Ansi zu Oem": ä and ü become the OEM bytes, shown in the ANSI font; back again.
    click(dlg, IDC_PB_TO_OEM);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).front() != kBaeckereiLine; }));
    EXPECT_EQ(list_lines(list).front().substr(0, 9), " B\x84"
                                                     "ckerei");
    EXPECT_EQ(list_lines(list).back().substr(0, 7), " M\x81ller");
    click(dlg, IDC_PB_TO_ANSI);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).front() == kBaeckereiLine; }));
    EXPECT_EQ(list_lines(list).back(), kMuellerLine);

    // "Ändern" without a selected line.
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    click(dlg, IDC_PB_CHANGE);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "kein Eintrag makiert");

    // Deleting the last line selects the one before; deleting the only entry empties the list
    // and disables the buttons that need entries.
    select_line(dlg, 1);
    ASSERT_TRUE(wait_for([&] { return field(dlg, IDC_PB_NAME) == "Müller"; }));
    click(dlg, IDC_PB_DELETE);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 1; }));
    EXPECT_EQ(selected(list), 0);
    click(dlg, IDC_PB_DELETE);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).empty(); }));
    expect_entry_buttons(dlg, false);
    for (int id :
         {IDC_PB_INSERT, IDC_PB_TO_OEM, IDC_PB_TO_ANSI, IDC_PB_SEARCH, IDC_PB_PROJECT, IDOK})
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, id))) << id;

    // Closed with the close box; the changes are kept in memory only when No is answered.
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    EXPECT_EQ(answer(p, "Information", IDNO), kSaveQuestion);
    close_keeping_book(p);
}

TEST_F(GuiPhonebook, ProjectNamesEditorEmptiesADuplicateNameWithItsMessage) {
    Program p(with_book());
    ASSERT_NE(p.main(), nullptr);
    HWND dlg = p.open(IDM_PROJECT_NAMES, kProjectsCaption);
    ASSERT_NE(dlg, nullptr) << "no project names editor";
    EXPECT_EQ(field(dlg, IDC_PROJECT_NAME_1), "Kunde A");
    for (std::size_t project = 2; project <= 10; ++project)
        EXPECT_EQ(field(dlg, win32::project_control(win32::kProjectNameFields, project)), "")
            << project;
    set_field(dlg, IDC_PROJECT_NAME_2, "Kunde A");
    set_field(dlg, IDC_PROJECT_NAME_4, "  Kunde B  ");
    Sleep(300);
    screenshot("project-names-editor");
    click(dlg, IDOK);
    EXPECT_EQ(answer(p, "Fehler", IDOK), "Projekteintrag doppelt\nEintrag gelöscht");
    EXPECT_EQ(answer(p, "Information", IDNO), kSaveQuestion);
    EXPECT_FALSE(IsWindow(dlg));

    // The editor offers the defined projects: 1 and 4, the duplicate in 2 emptied, the blanks
    // around "Kunde B" trimmed.
    HWND editor = p.open(IDM_PHONEBOOK_EDIT, kEditorCaption);
    ASSERT_NE(editor, nullptr);
    HWND combo = GetDlgItem(editor, IDC_PB_PROJECT);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(combo_text(combo, 1), "Kunde A");
    EXPECT_EQ(combo_text(combo, 2), "Kunde B");
    ASSERT_TRUE(dismiss(editor, IDOK));

    // Opening again shows the names kept; the close box discards what was typed.
    dlg = p.open(IDM_PROJECT_NAMES, kProjectsCaption);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(field(dlg, IDC_PROJECT_NAME_2), "");
    EXPECT_EQ(field(dlg, IDC_PROJECT_NAME_4), "Kunde B");
    set_field(dlg, IDC_PROJECT_NAME_5, "Verworfen");
    PostMessageA(dlg, WM_CLOSE, 0, 0);
    ASSERT_TRUE(gone(dlg));
    EXPECT_EQ(p.dialog("Information", 500), nullptr) << "nothing changed, no question";
    EXPECT_TRUE(p.close());
    EXPECT_EQ(read_file(book), kBook) << "No was answered";
}

TEST_F(GuiPhonebook, NewPhonebookNamesProjectsThenEntriesAndWritesTheFile) {
    const std::string path = dir.file("NEU.TLB");
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND files = p.open(IDM_PHONEBOOK_NEW, "Telefonbuch Neu");
    ASSERT_NE(files, nullptr) << "no file dialog";
    EXPECT_EQ(file_type(files), "Telefonbuch Files (*.TLB)");
    ASSERT_TRUE(choose_file(files, path));

    HWND names = p.dialog(kProjectsCaption);
    ASSERT_NE(names, nullptr);
    set_field(names, IDC_PROJECT_NAME_1, "Bau");
    click(names, IDOK);
    // Names alone are not saved: the empty phonebook is refused.
    EXPECT_EQ(answer(p, "Information", IDYES), kSaveQuestion);
    EXPECT_EQ(answer(p, "Fehler", IDOK),
              "kein Eintrag im Telefonbuch vorhanden\nFunktion abgebrochen");

    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, IDC_PB_LIST);
    EXPECT_TRUE(list_lines(list).empty());
    expect_entry_buttons(dlg, false);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_PB_INSERT)));
    // An empty list offers no projects until an entry is shown; the first insertion has none.
    set_field(dlg, IDC_PB_NAME, "Zeta");
    set_field(dlg, IDC_PB_NUMBER, "99");
    set_field(dlg, IDC_PB_AREA_CODE, "089");
    click(dlg, IDC_PB_INSERT);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 1; }));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_PB_DELETE)));
    HWND combo = GetDlgItem(dlg, IDC_PB_PROJECT);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    // Now "Bau" is offered; the same number under another name in project 1 is taken.
    set_field(dlg, IDC_PB_NAME, "Zeta Bau");
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    click(dlg, IDC_PB_INSERT);
    ASSERT_TRUE(wait_for([&] { return list_lines(list).size() == 2; }));
    EXPECT_EQ(list_lines(list)[1],
              " Zeta Bau                   |      | 089   | 99           | Bau ");
    EXPECT_EQ(selected(list), 1);
    click(dlg, IDOK);
    EXPECT_EQ(answer(p, "Information", IDYES), kSaveQuestion);
    ASSERT_TRUE(wait_for([&] { return !read_file(path).empty(); }));
    EXPECT_EQ(read_file(path), "[Telefonbuch]\r\nZeta;;89;99;\r\n[Project 01;Bau]\r\n"
                               "Zeta Bau;;89;99;\r\n[Ende Telefonbuch]\r\n");

    expect_phonebook(p, "NEU.TLB");

    // The charge file dialog has its own filter back after the phonebook borrowed it.
    HWND open = p.open(IDM_FILE_OPEN, "Open");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(file_type(open), "Gebühren Files (*.GDS)");
    ASSERT_TRUE(dismiss(open, IDCANCEL));
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
    HWND files = p.open(IDM_PHONEBOOK_OPEN, "Telefonbuch Öffnen");
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(dismiss(files, IDCANCEL));
    EXPECT_TRUE(p.menu()[IDM_PHONEBOOK_EDIT].grey);

    files = p.open(IDM_PHONEBOOK_OPEN, "Telefonbuch Öffnen");
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(choose_file(files, path));
    HWND dlg = p.dialog(kEditorCaption);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(list_lines(GetDlgItem(dlg, IDC_PB_LIST)),
              (std::vector<std::string>{kBaeckereiLine, kMuellerLine}));
    ASSERT_TRUE(dismiss(dlg, IDOK));
    EXPECT_EQ(p.dialog("Information", 500), nullptr);
    expect_phonebook(p, "KUNDEN.TLB");
    ASSERT_TRUE(p.close());
    EXPECT_NE(ini().find("Telbook=" + path + "\r\n"), std::string::npos) << ini();
}

} // namespace
} // namespace kalmo::gui
