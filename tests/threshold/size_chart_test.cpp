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

using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
// The number labels at their places of 96 DPI, by their texts: the largest count at the top
// and half of it, half and a quarter of the largest side, and the origin's 0 x 0.
void ExpectNumbersAt96(const SizeChartLayout& layout, const char16_t* largest,
                       const char16_t* halfCount, const char16_t* halfSide,
                       const char16_t* quarterSide) {
    const NumberLabels n = NumbersOf(layout);
    EXPECT_EQ(n.largest, (ChartLabel{largest, 2, 16}));
    EXPECT_EQ(n.halfCount, (ChartLabel{halfCount, 2, 120}));
    EXPECT_EQ(n.halfSide, (ChartLabel{Size(halfSide), 180, 226}));
    EXPECT_EQ(n.quarterSide, (ChartLabel{Size(quarterSide), 90, 226}));
    EXPECT_EQ(n.origin, (ChartLabel{Size(u"0"), 2, 226}));
}

TEST(SizeChart, OneClassPerPixelColumnAtMaxSide328) {
    const std::vector<std::int32_t> everyClassOnce(329, 1);
    const SizeChartLayout layout = LayOutSizeChart(everyClassOnce, 328, 96);
    EXPECT_EQ(layout.largestCount, 1);
    ASSERT_EQ(layout.bars.size(), 329u);
    for (std::int32_t s = 0; s <= 328; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(layout.bars[s], (ChartBar{s, {16 + s, 16, 17 + s, 224}}));
    }
    EXPECT_EQ(layout.frame, (ChartRect{16, 16, 345, 224}));
    ExpectNumbersAt96(layout, u"1", u"0", u"164", u"82");
}

TEST(SizeChart, ClassesShareColumnsAtMaxSide1000) {
    const std::vector<std::int32_t> h =
        Histogram(1000, {{0, 2}, {1, 5}, {3, 1}, {4, 1}, {1000, 4}});
    const SizeChartLayout layout = LayOutSizeChart(h, 1000, 96);
    // 0.328 pixels per class, but each bar one pixel wide; classes 0 to 3 share x = 16, and
    // the tallest of them (5 files, drawn second) is what the column shows.
    EXPECT_THAT(layout.bars,
                ElementsAre(ChartBar{0, {16, 140, 17, 224}}, ChartBar{1, {16, 16, 17, 224}},
                            ChartBar{3, {16, 182, 17, 224}}, ChartBar{4, {17, 182, 18, 224}},
                            ChartBar{1000, {344, 57, 345, 224}}));
    EXPECT_EQ(layout.frame, (ChartRect{16, 16, 345, 224}));  // the bar at 344 is inside
    ExpectNumbersAt96(layout, u"5", u"2", u"500", u"250");
}

TEST(SizeChart, HeightsFollowTheLargestCount) {
    // 208 / 7 pixels per file: 7 files reach the top, 1 file trunc(224 - 29.71) = 194; an
    // empty class between them draws nothing, not even a line on the baseline.
    const std::vector<std::int32_t> h = Histogram(100, {{10, 7}, {20, 1}, {30, 4}});
    const SizeChartLayout layout = LayOutSizeChart(h, 100, 96);
    EXPECT_EQ(layout.largestCount, 7);
    EXPECT_THAT(layout.bars,
                ElementsAre(ChartBar{10, {48, 16, 51, 224}}, ChartBar{20, {81, 194, 84, 224}},
                            ChartBar{30, {114, 105, 117, 224}}));
    // 3.28 pixels per class: bars are as wide as the scale, the frame one bar beyond 344.
    EXPECT_EQ(layout.frame, (ChartRect{16, 16, 347, 224}));
    ExpectNumbersAt96(layout, u"7", u"3", u"50", u"25");
}

TEST(SizeChart, LargestSidesSpreadOverThePlotWithoutOverflow) {
    // The largest SquareSide there is: 65536 classes, five to a column.
    std::vector<std::int32_t> h(65536, 0);
    h[65535] = 1;
    h[32768] = 2;
    const SizeChartLayout layout = LayOutSizeChart(h, 65535, 96);
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
        const SizeChartLayout layout = LayOutSizeChart(c.histogram, c.maxSide, 96);
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
    const SizeChartLayout layout = LayOutSizeChart(std::vector<std::int32_t>{0, 0, 3}, 328, 96);
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
        EXPECT_EQ(PointerToSide(c.x, c.y, c.maxSide, 96), c.side);
    }
}

TEST(SizeChart, GeometryAtEachDpiIsThe96DpiOneScaled) {
    const struct {
        int dpi;
        ChartGeometry geometry;  // bitmap, plot, origin, label height, line width
    } cases[] = {
        {96, {360, 240, 16, 344, 16, 224, 8, 8, 12, 1}},
        {120, {450, 300, 20, 430, 20, 280, 10, 10, 15, 1}},
        {144, {540, 360, 24, 516, 24, 336, 12, 12, 18, 2}},  // a line of 1.5 is 2 pixels
        {192, {720, 480, 32, 688, 32, 448, 16, 16, 24, 2}},
        // 110: 412.5 rounds up, 256.67 to 257, 13.75 to 14; every length alone.
        {110, {413, 275, 18, 394, 18, 257, 9, 9, 14, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(ChartGeometryAt(c.dpi), c.geometry);
    }
    EXPECT_EQ(ChartAreaAt(96), (ChartRect{8, 8, 368, 248}));
    EXPECT_EQ(ChartAreaAt(192), (ChartRect{16, 16, 736, 496}));
}

TEST(SizeChart, BarsSpreadOverTheScaledPlotNotTheEnlarged96DpiOnes) {
    const std::vector<std::int32_t> h = Histogram(100, {{10, 7}, {20, 1}, {30, 4}});
    const struct {
        int dpi;
        std::vector<ChartBar> bars;
        ChartRect frame;
    } cases[] = {
        {96,
         {{10, {48, 16, 51, 224}}, {20, {81, 194, 84, 224}}, {30, {114, 105, 117, 224}}},
         {16, 16, 347, 224}},
        // 4.92 pixels per class and 312 / 7 per file: 7 files reach the plot's top at 24.
        {144,
         {{10, {73, 24, 77, 336}}, {20, {122, 291, 126, 336}}, {30, {171, 157, 175, 336}}},
         {24, 24, 520, 336}},
        // 6.56 per class: six pixels wide, not the 96-DPI three doubled.
        {192,
         {{10, {97, 32, 103, 448}}, {20, {163, 388, 169, 448}}, {30, {228, 210, 234, 448}}},
         {32, 32, 694, 448}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        const SizeChartLayout layout = LayOutSizeChart(h, 100, c.dpi);
        EXPECT_EQ(layout.bars, c.bars);
        EXPECT_EQ(layout.frame, c.frame);
    }
    // Classes that share a column at 96 DPI get columns of their own at 192 (maxSide 1000:
    // 0.656 pixels per class), and each bar is still at least one pixel wide.
    const std::vector<std::int32_t> crowded =
        Histogram(1000, {{0, 2}, {1, 5}, {3, 1}, {4, 1}, {1000, 4}});
    EXPECT_THAT(LayOutSizeChart(crowded, 1000, 192).bars,
                ElementsAre(ChartBar{0, {32, 281, 33, 448}}, ChartBar{1, {32, 32, 33, 448}},
                            ChartBar{3, {33, 364, 34, 448}}, ChartBar{4, {34, 364, 35, 448}},
                            ChartBar{1000, {688, 115, 689, 448}}));
}

TEST(SizeChart, LabelsKeepTheirPlacesScaled) {
    const SizeChartLayout layout = LayOutSizeChart(Histogram(328, {{100, 4}}), 328, 192);
    EXPECT_THAT(layout.labels,
                ElementsAre(ChartLabel{text::ChartCountAxis, 4, 4},
                            ChartLabel{text::ChartSizeAxis, 600, 452}, ChartLabel{u"4", 4, 32},
                            ChartLabel{u"2", 4, 240}, ChartLabel{Size(u"164"), 360, 452},
                            ChartLabel{Size(u"82"), 180, 452}, ChartLabel{Size(u"0"), 4, 452}));
}

TEST(SizeChart, PointerReadsTheSameSizesAtEveryDpi) {
    // The pointer over the same place of the chart reads the same size; the edges are the
    // 96-DPI ones scaled, and a finer screen reaches a little further.
    const struct {
        int x, y, dpi;
        std::int32_t maxSide;
        std::optional<std::int32_t> side;
    } cases[] = {
        {255, 100, 120, 720, 360},
        {306, 150, 144, 720, 360},
        {408, 200, 192, 720, 360},
        {30, 100, 120, 720, std::nullopt},  // the left edges: 30, 36, 48
        {36, 150, 144, 720, std::nullopt},
        {48, 200, 192, 720, std::nullopt},
        {31, 11, 120, 720, 1},  // the first points inside
        {37, 13, 144, 720, 1},
        {49, 17, 192, 720, 1},
        {439, 309, 120, 720, 654},  // the last ones
        {527, 371, 144, 720, 654},
        {703, 495, 192, 720, 655},
        {703, 495, 192, 65535, 59618},
        {704, 100, 192, 720, std::nullopt},  // right, top and bottom edges at 192
        {408, 16, 192, 720, std::nullopt},
        {408, 496, 192, 720, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " at " << c.dpi);
        EXPECT_EQ(PointerToSide(c.x, c.y, c.maxSide, c.dpi), c.side);
    }
}

}  // namespace
}  // namespace tessel
