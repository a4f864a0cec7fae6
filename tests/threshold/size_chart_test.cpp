#include "threshold/size_chart.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "threshold/texts.h"

namespace tessel {

// Readable failures.
void PrintTo(const ChartRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
void PrintTo(const ChartBar& b, std::ostream* os) {
    *os << "class " << b.side << " ";
    PrintTo(b.rect, os);
}
void PrintTo(const ChartLabel& l, std::ostream* os) {
    *os << testing::PrintToString(l.text) << " at (" << l.x << ", " << l.y << ")";
}

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

std::vector<std::int32_t> Histogram(
    std::int32_t maxSide, std::initializer_list<std::pair<std::int32_t, std::int32_t>> counts) {
    std::vector<std::int32_t> h(static_cast<std::size_t>(maxSide) + 1, 0);
    for (const auto& [side, count] : counts) h[static_cast<std::size_t>(side)] = count;
    return h;
}

std::u16string Size(const char16_t* digits) {
    return std::u16string(digits) + text::ChartTimes + digits;
}

std::u16string Digits(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The labels by what they mean; the two axis titles do not depend on the histogram.
struct NumberLabels {
    ChartLabel largest, halfCount, halfSide, quarterSide, origin;
};
NumberLabels NumbersOf(const SizeChartLayout& layout) {
    EXPECT_EQ(layout.labels.size(), 7u);
    EXPECT_EQ(layout.labels[0], (ChartLabel{text::ChartCountAxis, 2, 2}));
    EXPECT_EQ(layout.labels[1].text, text::ChartSizeAxis);
    return {layout.labels[2], layout.labels[3], layout.labels[4], layout.labels[5],
            layout.labels[6]};
}

TEST(SizeChart, OneClassPerPixelColumnAtMaxSide328) {
    const std::vector<std::int32_t> everyClassOnce(329, 1);
    const SizeChartLayout layout = LayOutSizeChart(everyClassOnce, 328);
    EXPECT_EQ(layout.largestCount, 1);
    ASSERT_EQ(layout.bars.size(), 329u);
    for (std::int32_t s = 0; s <= 328; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(layout.bars[s], (ChartBar{s, {16 + s, 16, 17 + s, 224}}));
    }
    EXPECT_EQ(layout.frame, (ChartRect{16, 16, 345, 224}));
    const NumberLabels n = NumbersOf(layout);
    EXPECT_EQ(n.largest, (ChartLabel{u"1", 2, 16}));
    EXPECT_EQ(n.halfCount, (ChartLabel{u"0", 2, 120}));
    EXPECT_EQ(n.halfSide, (ChartLabel{Size(u"164"), 180, 226}));
    EXPECT_EQ(n.quarterSide, (ChartLabel{Size(u"82"), 90, 226}));
    EXPECT_EQ(n.origin, (ChartLabel{Size(u"0"), 2, 226}));
}

TEST(SizeChart, ClassesShareColumnsAtMaxSide1000) {
    const std::vector<std::int32_t> h =
        Histogram(1000, {{0, 2}, {1, 5}, {3, 1}, {4, 1}, {1000, 4}});
    const SizeChartLayout layout = LayOutSizeChart(h, 1000);
    // 0.328 pixels per class, but each bar one pixel wide; classes 0 to 3 share x = 16, and
    // the tallest of them (5 files, drawn second) is what the column shows.
    EXPECT_THAT(layout.bars,
                ElementsAre(ChartBar{0, {16, 140, 17, 224}}, ChartBar{1, {16, 16, 17, 224}},
                            ChartBar{3, {16, 182, 17, 224}}, ChartBar{4, {17, 182, 18, 224}},
                            ChartBar{1000, {344, 57, 345, 224}}));
    EXPECT_EQ(layout.frame, (ChartRect{16, 16, 345, 224}));  // the bar at 344 is inside
    const NumberLabels n = NumbersOf(layout);
    EXPECT_EQ(n.halfSide, (ChartLabel{Size(u"500"), 180, 226}));
    EXPECT_EQ(n.quarterSide, (ChartLabel{Size(u"250"), 90, 226}));
    EXPECT_EQ(n.origin, (ChartLabel{Size(u"0"), 2, 226}));
}

TEST(SizeChart, HeightsFollowTheLargestCount) {
    // 208 / 7 pixels per file: 7 files reach the top, 1 file trunc(224 - 29.71) = 194; an
    // empty class between them draws nothing, not even a line on the baseline.
    const std::vector<std::int32_t> h = Histogram(100, {{10, 7}, {20, 1}, {30, 4}});
    const SizeChartLayout layout = LayOutSizeChart(h, 100);
    EXPECT_EQ(layout.largestCount, 7);
    EXPECT_THAT(layout.bars,
                ElementsAre(ChartBar{10, {48, 16, 51, 224}}, ChartBar{20, {81, 194, 84, 224}},
                            ChartBar{30, {114, 105, 117, 224}}));
    // 3.28 pixels per class: bars are as wide as the scale, the frame one bar beyond 344.
    EXPECT_EQ(layout.frame, (ChartRect{16, 16, 347, 224}));
    const NumberLabels n = NumbersOf(layout);
    EXPECT_EQ(n.largest, (ChartLabel{u"7", 2, 16}));
    EXPECT_EQ(n.halfCount, (ChartLabel{u"3", 2, 120}));
    EXPECT_EQ(n.halfSide, (ChartLabel{Size(u"50"), 180, 226}));
    EXPECT_EQ(n.quarterSide, (ChartLabel{Size(u"25"), 90, 226}));
}

TEST(SizeChart, LargestSidesSpreadOverThePlotWithoutOverflow) {
    // The largest SquareSide there is: 65536 classes, five to a column.
    std::vector<std::int32_t> h(65536, 0);
    h[65535] = 1;
    h[32768] = 2;
    const SizeChartLayout layout = LayOutSizeChart(h, 65535);
    EXPECT_THAT(layout.bars, ElementsAre(ChartBar{32768, {180, 16, 181, 224}},
                                         ChartBar{65535, {344, 120, 345, 224}}));
    const NumberLabels n = NumbersOf(layout);
    EXPECT_EQ(n.halfSide.text, Size(u"32767"));
    EXPECT_EQ(n.quarterSide.text, Size(u"16383"));
}

TEST(SizeChart, WithoutSizesOrFilesOnlyFrameAndLabels) {
    const struct {
        const char* what;
        std::vector<std::int32_t> histogram;
        std::int32_t maxSide;
        std::int32_t largest;
    } cases[] = {
        {"every file of side 0", {5}, 0, 5},
        {"no files at all", {0}, 0, 0},
        {"sizes but no files", std::vector<std::int32_t>(101, 0), 100, 0},
        {"no counters", {}, 0, 0},
        // A histogram shorter than maxSide + 1 is read no further than it goes.
        {"short histogram", {0, 0, 0}, 400, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SizeChartLayout layout = LayOutSizeChart(c.histogram, c.maxSide);
        EXPECT_EQ(layout.largestCount, c.largest);
        EXPECT_THAT(layout.bars, IsEmpty());
        EXPECT_EQ(layout.frame.left, 16);
        EXPECT_EQ(layout.frame.top, 16);
        EXPECT_GE(layout.frame.right, 345);
        EXPECT_EQ(layout.frame.bottom, 224);
        const NumberLabels n = NumbersOf(layout);
        EXPECT_EQ(n.largest.text, Digits(c.largest));
        EXPECT_EQ(n.origin, (ChartLabel{Size(u"0"), 2, 226}));
    }
}

TEST(SizeChart, ShortHistogramStillDrawsTheClassesItHas) {
    const SizeChartLayout layout = LayOutSizeChart(std::vector<std::int32_t>{0, 0, 3}, 328);
    EXPECT_EQ(layout.largestCount, 3);
    EXPECT_THAT(layout.bars, ElementsAre(ChartBar{2, {18, 16, 19, 224}}));
}

TEST(SizeChart, SizeAxisTitleIsPlacedByItsByteCount) {
    // 縦横サイズ in code page 932: ten bytes, five 12-pixel characters, ending at 360.
    EXPECT_EQ(RightFlushX(u"縦横サイズ"), 300);
    EXPECT_EQ(RightFlushX(u""), 360);
    EXPECT_EQ(RightFlushX(u"abc"), 348);    // a lone last byte takes no cell
    EXPECT_EQ(RightFlushX(u"ｱｲｳ縦"), 336);  // half-width katakana: one byte each
}

TEST(SizeChart, PointerToSideReadsAgainstTheWholeBitmapWidth) {
    const struct {
        int x, y;
        std::int32_t maxSide;
        std::optional<std::int32_t> side;
    } cases[] = {
        {204, 100, 720, 360},          // (204 - 24) / 360 * 720
        {24, 100, 720, std::nullopt},  // every edge is outside
        {352, 100, 720, std::nullopt},
        {204, 8, 720, std::nullopt},
        {204, 248, 720, std::nullopt},
        {25, 9, 720, 2},       // the first and last points inside
        {351, 247, 720, 654},  // 327 / 360 * 720: 0.91 of maxSide at most
        {351, 247, 65535, 59527},
        {200, 100, 0, 0},
        {-30000, 100, 720, std::nullopt},  // signed 16-bit coordinates left of the window
        {100, -5, 720, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " of " << c.maxSide);
        EXPECT_EQ(PointerToSide(c.x, c.y, c.maxSide), c.side);
    }
}

}  // namespace
}  // namespace tessel
