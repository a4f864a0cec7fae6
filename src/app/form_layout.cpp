// app/form_layout.cpp: the layout table. The four centred positions are computed in double
// and cut toward zero (not rounded): at a width of 481 Run sits at 72, not 72.25 rounded up.
#include "app/form_layout.h"

namespace tessel {
namespace {

int Fraction(int width, double share, int offset) {
    return static_cast<int>(width * share - offset);
}

}  // namespace

std::array<Placement, FormPlacementCount> LayoutForm(std::uint16_t widthWord,
                                                     std::uint16_t heightWord,
                                                     int statusBarHeight) {
    const int w = static_cast<std::int16_t>(widthWord);
    const int h = static_cast<std::int16_t>(heightWord) - statusBarHeight;
    return {{
        {LblSource, 8, 8, 48, 16},
        {LblDestination, 8, 48, 48, 16},
        {EdtSource, 56, 8, w - 128, 24},
        {EdtDestination, 56, 48, w - 128, 24},
        {BtnBrowseSource, w - 56, 8, 48, 24},
        {BtnBrowseDestination, w - 56, 48, 48, 24},
        {LblKind, 8, 96, 128, 16},
        {CmbKind, 144, 96, 104, 64},
        {EdtExtensions, 256, 96, w - 264, 24},
        {GrpDuplicates, 8, 128, w - 16, 44},
        {RadSequential, 24, 148, 144, 16},
        {RadOverwrite, Fraction(w, 0.5, 48), 148, 96, 16},
        {RadSeparateFolder, w - 168, 148, 144, 16},
        {GrpThreshold, 8, 176, w - 16, 44},
        {RadThresholdNone, 24, 196, 72, 16},
        {RadThresholdAuto, Fraction(w, 0.5, 56), 196, 112, 16},
        {RadThresholdManual, w - 168, 196, 144, 16},
        {EdtLog, 8, 232, w - 16, h - 308},
        {PrgProgress, 8, h - 72, w - 16, 20},
        {BtnRun, Fraction(w, 0.25, 48), h - 40, 96, 24},
        {BtnExit, Fraction(w, 0.75, 48), h - 40, 96, 24},
    }};
}

}  // namespace tessel
