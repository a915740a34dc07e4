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
    const int drawn[] = {16, 24};
    struct Case {
        int base, dpi, drawn, shown;
    };
    const Case cases[] = {
        {16, 96, 16, 16},  {24, 96, 24, 24},  // as drawn
        {16, 144, 24, 24}, {24, 144, 24, 36}, // 150 %: the large drawing, then grown
        {16, 192, 16, 32}, {24, 192, 24, 48}, // 200 %: doubled, the larger of two doubles
        {16, 120, 24, 20}, {24, 120, 24, 30}, // 125 %: shrunk from above, else grown
        {16, 288, 24, 48}, {24, 288, 24, 72}, // 300 %
        {16, 72, 16, 12},                     // below 96: shrunk from the smallest above
    };
    for (const Case& c : cases) {
        const IconChoice got = choose_icon(c.base, c.dpi, drawn, 2);
        EXPECT_EQ(got.drawn, c.drawn) << c.base << " at " << c.dpi;
        EXPECT_EQ(got.shown, c.shown) << c.base << " at " << c.dpi;
    }
    EXPECT_EQ(choose_icon(16, 96, drawn, 0).shown, 16);
}

} // namespace
} // namespace kalmo::app
