// The programs on screens of any scale: the manifest that tells the system they draw
// themselves sharp, and the main window following a move to a screen of another scale.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "gui_fixture.h"

namespace kalmo::gui {
namespace {

TEST(Manifest, BothProgramsDeclareTheirControlsScaleAndRights) {
    for (const char* exe : {KALMO32_EXE, KALMO_CONSOLE_EXE}) {
        HMODULE m = LoadLibraryExA(wine_path(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m, nullptr) << exe;
        // Resource type 24, id 1: the manifest the loader reads as the process starts.
        HRSRC found = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_NE(found, nullptr) << exe << " has no manifest";
        const std::string text(static_cast<const char*>(LockResource(LoadResource(m, found))),
                               SizeofResource(m, found));
        for (const char* needed :
             {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
              ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>",
              "level=\"asInvoker\"", "Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\""})
            EXPECT_NE(text.find(needed), std::string::npos) << exe << ": " << needed;
        FreeLibrary(m);
    }
}

class GuiScale : public GuiTest {};

TEST_F(GuiScale, MovedToALargerScaleTheWindowTakesItsPlaceAndRedrawsItsIcons) {
    ASSERT_TRUE(write_file(dir.file("Kalmo32.ini"),
                           "[Toolbar]\r\nShowBar=1\r\nText=0\r\nLargeIcons=0\r\n"));
    Program p(dir.path());
    ASSERT_NE(p.main(), nullptr);
    auto button_height = [&] {
        HWND bar = FindWindowExA(p.main(), nullptr, TOOLBARCLASSNAMEA, nullptr);
        return bar ? static_cast<int>(HIWORD(SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0))) : 0;
    };
    auto status_height = [&] {
        RECT bar{};
        GetWindowRect(FindWindowExA(p.main(), nullptr, STATUSCLASSNAMEA, nullptr), &bar);
        return static_cast<int>(bar.bottom - bar.top);
    };
    const int before = button_height();
    ASSERT_GT(before, 0) << "no toolbar";
    const int status_before = status_height();
    ASSERT_GT(status_before, 0) << "no status bar";

    ASSERT_TRUE(inject(p.process(), wine_path(KALMO_DPI_PROBE)));
    const std::string done = p.dir() + "dpi-changed.txt";
    ASSERT_TRUE(wait_for([&] { return !read_file(done).empty(); }));
    // The 16-pixel icons as drawn for twice the scale, all of them.
    EXPECT_EQ(read_file(done), "icons 12 32x32\n");

    RECT r;
    GetWindowRect(p.main(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 820);
    EXPECT_EQ(r.bottom - r.top, 640);
    // The buttons grown around them.
    EXPECT_GE(button_height(), 32 + 6);
    EXPECT_GT(button_height(), before);
    // The status bar's font at the new scale, and the bar around it.
    EXPECT_GT(status_height(), status_before);
    EXPECT_TRUE(p.close());
}

} // namespace
} // namespace kalmo::gui
