// The dialog "Datenschutz" driven from outside under Wine: cutting the archive now asks with the
// number of files first, No leaves them as they are, Yes cuts exactly those.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/resource.h"
#include "driver.h"
#include "gui_fixture.h"
#include "print_support.h"

namespace kalmo::gui {
namespace {

// An archive folder beside the program, removed with its files afterwards (the test directory
// removes files only).
class GuiPrivacy : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(CreateDirectoryA(archive().c_str(), nullptr));
    }
    void TearDown() override {
        for (const std::string& name : names)
            DeleteFileA(file(name).c_str());
        RemoveDirectoryA(archive().c_str());
    }
    std::string archive() const { return dir.file("Archiv"); }
    std::string file(const std::string& name) const { return archive() + "\\" + name; }
    void put(const std::string& name, const std::string& bytes) {
        names.push_back(name);
        ASSERT_TRUE(write_file(file(name), bytes));
    }
    // Presses "Archiv jetzt kürzen" and answers the box it brings; its text.
    std::string cut_now(const Program& p, HWND privacy, const char* caption, int button) {
        click(privacy, IDC_PRIVACY_CUT_NOW);
        return answer(p, caption, button);
    }
    std::vector<std::string> names;
};

TEST_F(GuiPrivacy, CutNowNamesTheCountAndCutsOnlyAfterYes) {
    // Two reads long past and one dated after today.
    const std::string charges = charge_file(12);
    put("2020-01-28_170000.GDS", charges);
    put("2020-02-28_170000.GDS", charges);
    put("2099-01-28_170000.GDS", charges);
    ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"), "[Datenschutz]\r\nArchivMonate=12\r\n"));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    HWND privacy = p.open(IDM_PRIVACY, "Datenschutz");
    ASSERT_NE(privacy, nullptr);
    ASSERT_TRUE(wait_for([&] { return field(privacy, IDC_PRIVACY_MONTHS) == "12"; }));
    EXPECT_EQ(field(privacy, IDC_PRIVACY_FOLDER), archive());
    EXPECT_EQ(field(privacy, IDC_PRIVACY_CONFIDENTIAL), "Es gibt keine Datei " +
                                                            dir.file("Vertraulich.txt") +
                                                            ": Keine Rufnummer ist vertraulich.");
    Sleep(300); // for the picture only: the dialog paints its controls after it is filled
    screenshot("privacy-dialog");

    const std::string question = cut_now(p, privacy, "Information", IDNO);
    EXPECT_EQ(question.substr(0, question.find('\n')),
              "Im Archiv " + archive() +
                  " werden 2 Dateien geändert: Die Rufnummern aller Dateien, die älter als 12 "
                  "Monate sind, werden gelöscht.");
    for (const std::string& name : names)
        EXPECT_EQ(read_file(file(name)), charges) << name << " changed after No";

    EXPECT_EQ(cut_now(p, privacy, "Information", IDYES).substr(0, 10), "Im Archiv ");
    EXPECT_EQ(answer(p, "Information", IDOK), "2 Dateien im Archiv gekürzt.");
    EXPECT_NE(read_file(file(names[0])), charges);
    EXPECT_EQ(read_file(file(names[1])), read_file(file(names[0])));
    EXPECT_EQ(read_file(file(names[2])), charges);

    // Done is done: a second press finds nothing, and a wrong month count asks nothing.
    EXPECT_EQ(cut_now(p, privacy, "Information", IDOK),
              "Im Archiv " + archive() +
                  " ist keine Datei älter als 12 Monate, deren Rufnummern noch gekürzt werden "
                  "müssen.");
    set_field(privacy, IDC_PRIVACY_MONTHS, "zwoelf");
    EXPECT_EQ(cut_now(p, privacy, "Fehler", IDOK).substr(0, 18), "Monate fehlerhaft!");
    // OK refuses the same field and stays open; Cancel then keeps the settings as they were.
    click(privacy, IDOK);
    EXPECT_EQ(answer(p, "Fehler", IDOK).substr(0, 18), "Monate fehlerhaft!");
    ASSERT_TRUE(IsWindow(privacy));
    ASSERT_TRUE(dismiss(privacy, IDCANCEL));
    EXPECT_TRUE(p.close());
    EXPECT_NE(ini().find("ArchivMonate=12"), std::string::npos) << ini();
}

} // namespace
} // namespace kalmo::gui
