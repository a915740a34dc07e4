// Icon sizes on screens of every usual scale.
#include <gtest/gtest.h>

#include "core/app/screen_scale.h"

namespace kalmo::app {
namespace {

TEST(ScreenScale, RoundsToTheNearestPixelAndTakesNoScaleAsTheBase) {
    EXPECT_EQ(scale_to_dpi(16, 96), 16);
    EXPECT_EQ(scale_to_dpi(16, 120), 20);
    EXPECT_EQ(scale_to_dpi(105, 144), 158); // 157.5
    EXPECT_EQ(scale_to_dpi(24, 168), 42);
    EXPECT_EQ(scale_to_dpi(16, 0), 16); // a window that cannot tell its scale
    EXPECT_EQ(scale_to_dpi(448, 480), 2240);
}

TEST(ScreenScale, ChoosesTheDrawingThatStaysSharp) {
    struct Case {
        int base, dpi, drawn, shown;
    };
    // The program's own drawings.
    const int four[] = {16, 24, 32, 48};
    const Case cases[] = {
        {16, 96, 16, 16},  {24, 96, 24, 24},  // as drawn
        {16, 144, 24, 24}, {24, 144, 48, 36}, // 150 %: drawn, else shrunk from above
        {16, 192, 32, 32}, {24, 192, 48, 48}, // 200 %: drawn
        {16, 120, 24, 20}, {24, 120, 32, 30}, // 125 %: shrunk from the next above
        {16, 288, 48, 48}, {24, 288, 24, 72}, // 300 %: beyond the largest, a whole multiple
        {16, 72, 16, 12},                     // below 96: shrunk from the smallest above
        {24, 336, 48, 84},                    // 350 %: no multiple, none above: the largest grown
    };
    for (const Case& c : cases) {
        const IconChoice got = choose_icon(c.base, c.dpi, four, 4);
        EXPECT_EQ(got.drawn, c.drawn) << c.base << " at " << c.dpi;
        EXPECT_EQ(got.shown, c.shown) << c.base << " at " << c.dpi;
    }
    // With two drawings, the larger of two whole multiples.
    const int two[] = {16, 24};
    EXPECT_EQ(choose_icon(24, 192, two, 2).drawn, 24);
    EXPECT_EQ(choose_icon(16, 96, two, 0).shown, 16);
}

} // namespace
} // namespace kalmo::app
