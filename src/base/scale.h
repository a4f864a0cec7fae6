// base/scale.h: lengths at a screen's density. The window and its dialogs are drawn for 96
// DPI; at another DPI each length drawn for 96 is multiplied by dpi / 96 and rounded to the
// nearest pixel, halves away from zero (as the system's MulDiv rounds). So 96 leaves every
// length as it is, and 120, 144, 168 and 192 scale a multiple of four without rounding.
#pragma once

#include <cstdint>

namespace tessel {

inline constexpr int BaseDpi = 96;

namespace scale_detail {
// `value` x `numerator` / `denominator`, rounded to the nearest, halves away from zero.
constexpr int MulDivRounded(int value, int numerator, int denominator) {
    const std::int64_t product = std::int64_t{value} * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t magnitude = ((product < 0 ? -product : product) + half) / denominator;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}
}  // namespace scale_detail

// A length of the 96-DPI drawing, in pixels at `dpi`. A DPI the system cannot mean (0 or
// less) leaves the length as it is.
constexpr int Scale(int length, int dpi) {
    return dpi > 0 ? scale_detail::MulDivRounded(length, dpi, BaseDpi) : length;
}

// The other way: pixels at `dpi` as a length of the 96-DPI drawing, for what is stored.
constexpr int Unscale(int pixels, int dpi) {
    return dpi > 0 ? scale_detail::MulDivRounded(pixels, BaseDpi, dpi) : pixels;
}

}  // namespace tessel
