#include "app/form_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/form_table.h"
#include "base/scale.h"

namespace tessel {
namespace {

Placement Find(const std::array<Placement, FormPlacementCount>& layout, ControlId id) {
    const auto it =
        std::find_if(layout.begin(), layout.end(), [id](const Placement& p) { return p.id == id; });
    EXPECT_NE(it, layout.end()) << id;
    return it == layout.end() ? Placement{id, 0, 0, 0, 0} : *it;
}

bool operator==(const Placement& a, const Placement& b) {
    return a.id == b.id && a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST(FormLayout, WholeTableAtTheDefaultWindowSize) {
    // 480 x 520 outer gives roughly this client area; 22 is a status bar.
    const auto layout = LayoutForm(464, 461, 22, 96);
    const int h = 461 - 22;
    const Placement expected[] = {
        {LblSource, 8, 8, 48, 16},
        {LblDestination, 8, 48, 48, 16},
        {EdtSource, 56, 8, 336, 24},
        {EdtDestination, 56, 48, 336, 24},
        {BtnBrowseSource, 408, 8, 48, 24},
        {BtnBrowseDestination, 408, 48, 48, 24},
        {LblKind, 8, 96, 128, 16},
        {CmbKind, 144, 96, 104, 64},
        {EdtExtensions, 256, 96, 200, 24},
        {GrpDuplicates, 8, 128, 448, 44},
        {RadSequential, 24, 148, 144, 16},
        {RadOverwrite, 184, 148, 96, 16},
        {RadSeparateFolder, 296, 148, 144, 16},
        {GrpThreshold, 8, 176, 448, 44},
        {RadThresholdNone, 24, 196, 72, 16},
        {RadThresholdAuto, 176, 196, 112, 16},
        {RadThresholdManual, 296, 196, 144, 16},
        {EdtLog, 8, 232, 448, h - 308},
        {PrgProgress, 8, h - 72, 448, 20},
        {BtnRun, 68, h - 40, 96, 24},
        {BtnExit, 300, h - 40, 96, 24},
    };
    ASSERT_EQ(std::size(expected), layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_TRUE(layout[i] == expected[i]) << layout[i].x << "," << layout[i].y << " "
                                              << layout[i].width << "x" << layout[i].height;
    }
}

TEST(FormLayout, CentredPositionsAreCutTowardZero) {
    const struct {
        int width;
        int run, exit, overwrite, autoBound;
    } cases[] = {
        {480, 72, 312, 192, 184},
        {481, 72, 312, 192, 184},  // 72.25, 312.75, 192.5, 184.5: cut, not rounded
        {483, 72, 314, 193, 185},  // 72.75 and 314.25
        {0, -48, -48, -48, -56},   // minimised
        {1, -47, -47, -47, -55},   // -47.75 is cut to -47, not floored to -48
        {3, -47, -45, -46, -54},
        {-1, -48, -48, -48, -56},  // 0xFFFF: the word is signed; -48.25 cut to -48
        {-32768, -8240, -24624, -16432, -16440},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const auto layout = LayoutForm(static_cast<std::uint16_t>(c.width), 400, 0, 96);
        EXPECT_EQ(Find(layout, BtnRun).x, c.run);
        EXPECT_EQ(Find(layout, BtnExit).x, c.exit);
        EXPECT_EQ(Find(layout, RadOverwrite).x, c.overwrite);
        EXPECT_EQ(Find(layout, RadThresholdAuto).x, c.autoBound);
    }
}

TEST(FormLayout, SmallSizesPassNegativeSizesOnWithoutAMinimum) {
    const auto layout = LayoutForm(0, 0, 20, 96);
    EXPECT_EQ(Find(layout, EdtSource).width, -128);
    EXPECT_EQ(Find(layout, EdtExtensions).width, -264);
    EXPECT_EQ(Find(layout, BtnBrowseSource).x, -56);
    EXPECT_EQ(Find(layout, RadSeparateFolder).x, -168);
    EXPECT_EQ(Find(layout, GrpThreshold).width, -16);
    EXPECT_EQ(Find(layout, EdtLog).height, -328);  // 0 - 20 - 308
    EXPECT_EQ(Find(layout, PrgProgress).y, -92);
    EXPECT_EQ(Find(layout, BtnExit).y, -60);
}

TEST(FormLayout, HeightWordIsSignedAndTheStatusBarIsTakenOff) {
    const struct {
        std::uint16_t heightWord;
        int statusBar;
        int logHeight, progressY, buttonsY;
    } cases[] = {
        {500, 0, 192, 428, 460},
        {500, 23, 169, 405, 437},
        {0xFFFF, 0, -309, -73, -41},
        {0x8000, 10, -33086, -32850, -32818},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heightWord);
        const auto layout = LayoutForm(480, c.heightWord, c.statusBar, 96);
        EXPECT_EQ(Find(layout, EdtLog).height, c.logHeight);
        EXPECT_EQ(Find(layout, PrgProgress).y, c.progressY);
        EXPECT_EQ(Find(layout, BtnRun).y, c.buttonsY);
        EXPECT_EQ(Find(layout, BtnExit).y, c.buttonsY);
    }
}

TEST(FormLayout, PlacesEveryCreatedControlOnce) {
    std::set<int> created;
    for (const ControlSpec& c : MainFormControls()) created.insert(c.id);
    std::set<int> placed;
    for (const Placement& p : LayoutForm(480, 480, 20, 96)) {
        EXPECT_TRUE(placed.insert(p.id).second) << "placed twice: " << p.id;
    }
    EXPECT_EQ(placed, created);
}

TEST(FormLayout, EveryLengthOfTheTableScalesWithTheDpi) {
    // The window at each DPI as large as the 96-DPI one (client 464 x 460, a status bar of 20)
    // looks there: every rectangle is then the 96-DPI one times dpi / 96. The table's lengths
    // are all multiples of four, so at these DPIs nothing is rounded; the 96 column is the
    // table as it always was.
    const int dpis[] = {96, 120, 144, 192};
    struct Box {
        int x, y, width, height;
    };
    const struct {
        ControlId id;
        Box at[4];  // x, y, width, height at each of dpis
    } rows[] = {
        {LblSource, {{8, 8, 48, 16}, {10, 10, 60, 20}, {12, 12, 72, 24}, {16, 16, 96, 32}}},
        {LblDestination, {{8, 48, 48, 16}, {10, 60, 60, 20}, {12, 72, 72, 24}, {16, 96, 96, 32}}},
        {EdtSource, {{56, 8, 336, 24}, {70, 10, 420, 30}, {84, 12, 504, 36}, {112, 16, 672, 48}}},
        {EdtDestination,
         {{56, 48, 336, 24}, {70, 60, 420, 30}, {84, 72, 504, 36}, {112, 96, 672, 48}}},
        {BtnBrowseSource,
         {{408, 8, 48, 24}, {510, 10, 60, 30}, {612, 12, 72, 36}, {816, 16, 96, 48}}},
        {BtnBrowseDestination,
         {{408, 48, 48, 24}, {510, 60, 60, 30}, {612, 72, 72, 36}, {816, 96, 96, 48}}},
        {LblKind, {{8, 96, 128, 16}, {10, 120, 160, 20}, {12, 144, 192, 24}, {16, 192, 256, 32}}},
        {CmbKind,
         {{144, 96, 104, 64}, {180, 120, 130, 80}, {216, 144, 156, 96}, {288, 192, 208, 128}}},
        {EdtExtensions,
         {{256, 96, 200, 24}, {320, 120, 250, 30}, {384, 144, 300, 36}, {512, 192, 400, 48}}},
        {GrpDuplicates,
         {{8, 128, 448, 44}, {10, 160, 560, 55}, {12, 192, 672, 66}, {16, 256, 896, 88}}},
        {RadSequential,
         {{24, 148, 144, 16}, {30, 185, 180, 20}, {36, 222, 216, 24}, {48, 296, 288, 32}}},
        {RadOverwrite,
         {{184, 148, 96, 16}, {230, 185, 120, 20}, {276, 222, 144, 24}, {368, 296, 192, 32}}},
        {RadSeparateFolder,
         {{296, 148, 144, 16}, {370, 185, 180, 20}, {444, 222, 216, 24}, {592, 296, 288, 32}}},
        {GrpThreshold,
         {{8, 176, 448, 44}, {10, 220, 560, 55}, {12, 264, 672, 66}, {16, 352, 896, 88}}},
        {RadThresholdNone,
         {{24, 196, 72, 16}, {30, 245, 90, 20}, {36, 294, 108, 24}, {48, 392, 144, 32}}},
        {RadThresholdAuto,
         {{176, 196, 112, 16}, {220, 245, 140, 20}, {264, 294, 168, 24}, {352, 392, 224, 32}}},
        {RadThresholdManual,
         {{296, 196, 144, 16}, {370, 245, 180, 20}, {444, 294, 216, 24}, {592, 392, 288, 32}}},
        {EdtLog,
         {{8, 232, 448, 132}, {10, 290, 560, 165}, {12, 348, 672, 198}, {16, 464, 896, 264}}},
        {PrgProgress,
         {{8, 368, 448, 20}, {10, 460, 560, 25}, {12, 552, 672, 30}, {16, 736, 896, 40}}},
        {BtnRun, {{68, 400, 96, 24}, {85, 500, 120, 30}, {102, 600, 144, 36}, {136, 800, 192, 48}}},
        {BtnExit,
         {{300, 400, 96, 24}, {375, 500, 120, 30}, {450, 600, 144, 36}, {600, 800, 192, 48}}},
    };
    for (std::size_t d = 0; d < std::size(dpis); ++d) {
        const int dpi = dpis[d];
        SCOPED_TRACE(dpi);
        const auto layout =
            LayoutForm(static_cast<std::uint16_t>(Scale(464, dpi)),
                       static_cast<std::uint16_t>(Scale(460, dpi)), Scale(20, dpi), dpi);
        ASSERT_EQ(std::size(rows), layout.size());
        for (std::size_t i = 0; i < layout.size(); ++i) {
            SCOPED_TRACE(rows[i].id);
            const Box& b = rows[i].at[d];
            EXPECT_TRUE(layout[i] == (Placement{rows[i].id, b.x, b.y, b.width, b.height}))
                << layout[i].x << "," << layout[i].y << " " << layout[i].width << "x"
                << layout[i].height;
        }
    }
}

TEST(FormLayout, OnlyTheTablesLengthsScaleNotTheWindowsPixels) {
    // At 144 DPI in a window of the 96-DPI size: the fixed lengths grow, while what follows an
    // edge still follows the same edge, and the cut of the centred positions stays a cut.
    const auto layout = LayoutForm(481, 520, 30, 144);
    EXPECT_EQ(Find(layout, EdtSource).width, 481 - 192);
    EXPECT_EQ(Find(layout, BtnBrowseSource).x, 481 - 84);
    EXPECT_EQ(Find(layout, BtnRun).x, 48);         // 120.25 - 72
    EXPECT_EQ(Find(layout, BtnExit).x, 288);       // 360.75 - 72
    EXPECT_EQ(Find(layout, RadOverwrite).x, 168);  // 240.5 - 72
    EXPECT_EQ(Find(layout, EdtLog).height, 520 - 30 - 462);
    EXPECT_EQ(Find(layout, BtnExit).y, 520 - 30 - 60);
    // Minimised: the scaled lengths make the sizes as negative as they come.
    const auto small = LayoutForm(0, 0, 0, 192);
    EXPECT_EQ(Find(small, EdtSource).width, -256);
    EXPECT_EQ(Find(small, EdtLog).height, -616);
    EXPECT_EQ(Find(small, BtnRun).x, -96);
}

TEST(FormLayout, CreationRectanglesRoundEachNumberToTheNearestHalvesUp) {
    // The creation rectangles and the dialogs' controls are not multiples of four: each number
    // is scaled alone and rounded to the nearest pixel, a half away from zero.
    const struct {
        const char* what;
        int x, y, width, height, dpi;
        ScaledRect scaled;
    } cases[] = {
        {"source field", 75, 10, 352, 27, 96, {75, 10, 352, 27}},
        {"source field", 75, 10, 352, 27, 120, {94, 13, 440, 34}},   // 93.75, 12.5, 33.75
        {"source field", 75, 10, 352, 27, 144, {113, 15, 528, 41}},  // 112.5, 40.5
        {"source field", 75, 10, 352, 27, 192, {150, 20, 704, 54}},
        {"About's OK", 128, 148, 79, 24, 120, {160, 185, 99, 30}},       // 98.75
        {"About's author", 94, 111, 250, 22, 144, {141, 167, 375, 33}},  // 166.5
        {"bound box", 384, 80, 48, 21, 120, {480, 100, 60, 26}},         // 26.25
        {"bound box", 384, 80, 48, 21, 144, {576, 120, 72, 32}},         // 31.5
        {"readout", 113, 300, 52, 19, 168, {198, 525, 91, 33}},          // 197.75, 33.25
        {"no DPI", 1, 2, 3, 4, 0, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " at " << c.dpi);
        EXPECT_EQ(ScaleRect(c.x, c.y, c.width, c.height, c.dpi), c.scaled);
    }
}

TEST(Scale, RoundsHalvesAwayFromZeroBothWays) {
    const struct {
        int length, dpi, scaled;
    } cases[] = {
        {-12, 96, -12},       {-12, 120, -15}, {-12, 144, -18}, {-12, 192, -24},  // FormFont
        {-19, 120, -24},      {-19, 144, -29}, {-19, 192, -38},  // AboutFont: -23.75, -28.5
        {-16, 120, -20},      {-16, 144, -24}, {-16, 192, -32},  // ThresholdFont
        {1, 120, 1},          {1, 144, 2},     {1, 192, 2},      // a line: 1.25, 1.5
        {65535, 192, 131070},                                    // the largest stored size
        {0, 144, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " at " << c.dpi);
        EXPECT_EQ(Scale(c.length, c.dpi), c.scaled);
    }
}

}  // namespace
}  // namespace tessel
