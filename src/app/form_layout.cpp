// app/form_layout.cpp: the layout table. The four centred positions are computed in double
// and cut toward zero (not rounded): at a width of 481 Run sits at 72, not 72.25 rounded up.
// Only the table's own lengths are scaled; the window's width and height are pixels already,
// so a control that follows an edge keeps following it at every DPI.
#include "app/form_layout.h"

#include "base/scale.h"

namespace tessel {
namespace {

int Fraction(int width, double share, int offset) {
    return static_cast<int>(width * share - offset);
}

}  // namespace

std::array<Placement, FormPlacementCount> LayoutForm(std::uint16_t widthWord,
                                                     std::uint16_t heightWord, int statusBarHeight,
                                                     int dpi) {
    const int w = static_cast<std::int16_t>(widthWord);
    const int h = static_cast<std::int16_t>(heightWord) - statusBarHeight;
    const auto s = [dpi](int length) { return Scale(length, dpi); };
    return {{
        {LblSource, s(8), s(8), s(48), s(16)},
        {LblDestination, s(8), s(48), s(48), s(16)},
        {EdtSource, s(56), s(8), w - s(128), s(24)},
        {EdtDestination, s(56), s(48), w - s(128), s(24)},
        {BtnBrowseSource, w - s(56), s(8), s(48), s(24)},
        {BtnBrowseDestination, w - s(56), s(48), s(48), s(24)},
        {LblKind, s(8), s(96), s(128), s(16)},
        {CmbKind, s(144), s(96), s(104), s(64)},
        {EdtExtensions, s(256), s(96), w - s(264), s(24)},
        {GrpDuplicates, s(8), s(128), w - s(16), s(44)},
        {RadSequential, s(24), s(148), s(144), s(16)},
        {RadOverwrite, Fraction(w, 0.5, s(48)), s(148), s(96), s(16)},
        {RadSeparateFolder, w - s(168), s(148), s(144), s(16)},
        {GrpThreshold, s(8), s(176), w - s(16), s(44)},
        {RadThresholdNone, s(24), s(196), s(72), s(16)},
        {RadThresholdAuto, Fraction(w, 0.5, s(56)), s(196), s(112), s(16)},
        {RadThresholdManual, w - s(168), s(196), s(144), s(16)},
        {EdtLog, s(8), s(232), w - s(16), h - s(308)},
        {PrgProgress, s(8), h - s(72), w - s(16), s(20)},
        {BtnRun, Fraction(w, 0.25, s(48)), h - s(40), s(96), s(24)},
        {BtnExit, Fraction(w, 0.75, s(48)), h - s(40), s(96), s(24)},
    }};
}

ScaledRect ScaleRect(int x, int y, int width, int height, int dpi) {
    return {Scale(x, dpi), Scale(y, dpi), Scale(width, dpi), Scale(height, dpi)};
}

}  // namespace tessel
