// The program in a folder whose name the Windows character set cannot spell (a user profile of
// "Łódź Ξ"): its settings, its journal and the charge files it opens and saves live there.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "../temp_dir.h"
#include "win32/resource.h"
#include "core/data/charge.h"
#include "driver.h"
#include "gui_fixture.h"
#include "../../support/utf8_text.h"

namespace kalmo::gui {
namespace {

using test::utf8;

std::string two_records() {
    auto store = std::make_unique<data::ChargeStore>();
    data::ChargeRecord r;
    r.subscriber = 21;
    r.month = 3;
    r.day = 4;
    r.amount = 46;
    store->set_count(2);
    store->set_record(0, r);
    r.day = 5;
    store->set_record(1, r);
    const auto image = store->save_image();
    return std::string(reinterpret_cast<const char*>(image.data()), image.size());
}

class UnicodeFolder : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(CreateDirectoryW(test::TempDir::wide(folder).c_str(), nullptr));
    }
    std::string file(const std::string& name) const { return folder + name; }
    std::string folder = dir.file(utf8(u8"Łódź Ξ\\"));
};

TEST_F(UnicodeFolder, SettingsAndChargeFilesLiveThereUnderTheirOwnNames) {
    const std::string jan = file(utf8(u8"Jan Ξ.GDS"));
    const std::string copy = file(utf8(u8"Kopie Łódź.GDS"));
    const std::string copy_export = file(utf8(u8"Kopie Łódź.ASC"));
    ASSERT_TRUE(write_file(jan, two_records()));
    Program p(folder);
    ASSERT_NE(p.main(), nullptr);
    ASSERT_TRUE(open_charge_file(p, jan));
    p.menu_select();
    // The title is a text of the windows: what 1252 lacks shows as '?'.
    EXPECT_TRUE(wait_for([&] {
        return p.title() == "Trelvik Gebührenauswertung - Gebührendaten Jan ?.GDS";
    })) << p.title();

    HWND dlg = p.open(IDM_FILE_SAVE_AS, "Save As");
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(choose_file(dlg, copy));
    ASSERT_TRUE(wait_for([&] { return !read_file(copy_export).empty(); }));
    EXPECT_EQ(read_file(copy), two_records());

    // A message naming the file shows it the same way; the file is left alone on No.
    HWND box = p.open(IDM_FILE_SAVE, "Information");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "Das File " + dir.path() + "?ód? ?\\Kopie ?ód?.GDS" +
                                     ". existiert bereits überschreiben ?");
    ASSERT_TRUE(dismiss(box, IDNO));
    ASSERT_TRUE(p.close());

    // The settings beside the program name the file in UTF-8 and bring it back at the next start.
    const std::string ini = read_file(file("Kalmo32.ini"));
    EXPECT_NE(ini.find("GebFile=" + copy + "\r\n"), std::string::npos) << ini;
    Program again(folder, false);
    ASSERT_NE(again.main(), nullptr);
    HWND open = again.open(IDM_FILE_OPEN, "Open");
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(dismiss(open, IDOK)) << "the dialog starts at the remembered name";
    again.menu_select();
    EXPECT_TRUE(wait_for([&] {
        return again.title() == "Trelvik Gebührenauswertung - Gebührendaten Kopie ?ód?.GDS";
    })) << again.title();
    EXPECT_TRUE(again.close());
}

using UnicodeFolderExchange = WithExchange<UnicodeFolder>;

TEST_F(UnicodeFolderExchange, TheJournalOfAReadIsWrittenBesideTheProgram) {
    Program p(folder);
    ASSERT_NE(p.main(), nullptr);
    ASSERT_NE(p.open(IDM_READ_CHARGES, "Datenübertragung"), nullptr);
    HWND box = p.dialog("Information", 60000);
    ASSERT_NE(box, nullptr) << "no count message";
    ASSERT_TRUE(dismiss(box, IDOK));
    HWND list = p.dialog("Anlageneinzelgebührensummen");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(dismiss(list, IDOK));
    EXPECT_TRUE(p.close());

    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(test::TempDir::wide(file("Journal\\*.GDS")).c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << "no journal in " << file("Journal");
    FindClose(find);
}

} // namespace
} // namespace kalmo::gui
