#include "core/app/screen_scale.h"

namespace kalmo::app {

int scale_to_dpi(int pixels, int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    const long long scaled = static_cast<long long>(pixels) * dpi;
    return static_cast<int>((scaled + (scaled >= 0 ? kBaseDpi / 2 : -kBaseDpi / 2)) / kBaseDpi);
}

IconChoice choose_icon(int base, int dpi, const int* sizes, int count) {
    const int shown = scale_to_dpi(base, dpi);
    if (count <= 0 || shown <= 0) return {base, base};
    for (int i = count - 1; i >= 0; --i)
        if (shown % sizes[i] == 0) return {sizes[i], shown};
    for (int i = 0; i < count; ++i)
        if (sizes[i] > shown) return {sizes[i], shown};
    return {sizes[count - 1], shown};
}

} // namespace kalmo::app
