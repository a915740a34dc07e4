// The program as the installer left it (scripts run these inside the installer test's own
// Wine prefix, where a recorder stands in for the browser): it starts, its help opens the
// page of the request, and it writes its settings beside itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "win32/resource.h"
#include "driver.h"

namespace kalmo::gui {
namespace {

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        const char* d = std::getenv("KALMO_INSTALLED_DIR");
        const char* l = std::getenv("KALMO_OPEN_LOG");
        if (!d || !l || !std::getenv("DISPLAY"))
            GTEST_SKIP() << "run by tests/win32/install_test.sh after an installation";
        dir = d;
        log = l;
    }
    // The documents handed to the browser so far.
    std::string opened() const { return read_file(log); }
    bool opened_page(const std::string& page) const {
        return wait_for([&] { return opened().find(dir + "hilfe\\" + page) != std::string::npos; });
    }
    std::string dir; // with its trailing backslash
    std::string log;
};

TEST_F(Installed, StartsOpensHelpPagesAndWritesItsSettingsBesideItself) {
    DeleteFileA((dir + "Kalmo32.ini").c_str());
    Program p(dir, false);
    ASSERT_NE(p.main(), nullptr) << "the installed program showed no main window";
    EXPECT_EQ(p.title(), "Trelvik Gebührenauswertung");
    screenshot("installed-main-window");

    // "Hilfe Index" opens the contents.
    p.command(IDM_HELP_INDEX);
    EXPECT_TRUE(opened_page("index.html")) << opened();

    // F1 in the port dialog opens its own page.
    HWND port = p.open(IDM_PORT, "Comporteinstellung");
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(p.key(VK_F1, false, port)) << "the port dialog did not take F1";
    EXPECT_TRUE(opened_page("comport.html")) << opened();
    PostMessageA(port, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_for([&] { return !IsWindow(port); }));

    // Help mode on "Sichern als" opens that command's page instead of the file dialog.
    ASSERT_TRUE(p.key(VK_F1, true)) << "the main window did not take Shift+F1";
    p.command(IDM_FILE_SAVE_AS);
    EXPECT_TRUE(opened_page("datei-sichern-als.html")) << opened();

    EXPECT_TRUE(p.close());
    EXPECT_NE(read_file(dir + "Kalmo32.ini").find("[Files]"), std::string::npos)
        << "no settings file beside the installed program";
}

} // namespace
} // namespace kalmo::gui
