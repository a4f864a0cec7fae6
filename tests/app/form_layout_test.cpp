#include "app/form_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/form_table.h"

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
    const auto layout = LayoutForm(464, 461, 22);
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
        const auto layout = LayoutForm(static_cast<std::uint16_t>(c.width), 400, 0);
        EXPECT_EQ(Find(layout, BtnRun).x, c.run);
        EXPECT_EQ(Find(layout, BtnExit).x, c.exit);
        EXPECT_EQ(Find(layout, RadOverwrite).x, c.overwrite);
        EXPECT_EQ(Find(layout, RadThresholdAuto).x, c.autoBound);
    }
}

TEST(FormLayout, SmallSizesPassNegativeSizesOnWithoutAMinimum) {
    const auto layout = LayoutForm(0, 0, 20);
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
        const auto layout = LayoutForm(480, c.heightWord, c.statusBar);
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
    for (const Placement& p : LayoutForm(480, 480, 20)) {
        EXPECT_TRUE(placed.insert(p.id).second) << "placed twice: " << p.id;
    }
    EXPECT_EQ(placed, created);
}

}  // namespace
}  // namespace tessel
