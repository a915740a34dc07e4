#pragma once
// Sizes on a screen of any scale: the window's pictures and icons are drawn for 96 dots per
// inch and grow with the screen, sharp where an exact multiple of a drawing fits.
namespace kalmo::app {

// The screen scale every drawing is made for.
constexpr int kBaseDpi = 96;

// `pixels` at 96 dpi, at `dpi` (rounded to the nearest pixel).
int scale_to_dpi(int pixels, int dpi);

// Which of the drawn icon sizes to show a toolbar icon of `base` pixels (at 96 dpi) from, and
// at what size.
struct IconChoice {
    int drawn = 0; // the size of the drawing taken
    int shown = 0; // the size on the screen
};
// The largest drawing of which the size on the screen is a whole multiple (pixels repeated
// stay sharp); else the smallest drawing larger than the size (shrinking loses less than
// growing); else the largest. `sizes` ascending.
IconChoice choose_icon(int base, int dpi, const int* sizes, int count);

} // namespace kalmo::app
