// threshold/size_chart.cpp: scales in double precision, every pixel cut toward zero. At 96
// DPI the geometry is the table's own numbers, so the arithmetic, and every pixel, is what it
// always was.
#include "threshold/size_chart.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/scale.h"
#include "threshold/texts.h"

namespace tessel {
namespace {

constexpr int LabelRow = 226;  // under the baseline

// The classes that exist in both the histogram and 0..maxSide.
std::size_t ClassCount(std::span<const std::int32_t> histogram, std::int32_t maxSide) {
    if (maxSide < 0) return 0;
    return std::min(histogram.size(), static_cast<std::size_t>(maxSide) + 1);
}

// Plain decimal digits, which are ASCII.
std::u16string Digits(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// "360×360": a size written as its two equal sides.
std::u16string SizeText(std::int32_t side) {
    const std::u16string digits = Digits(side);
    return digits + text::ChartTimes + digits;
}

bool IsHalfWidth(char16_t c) {
    return c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F);
}

}  // namespace

ChartGeometry ChartGeometryAt(int dpi) {
    const auto s = [dpi](int length) { return Scale(length, dpi); };
    return {s(chart::Width),       s(chart::Height),
            s(chart::PlotLeft),    s(chart::PlotRight),
            s(chart::PlotTop),     s(chart::Baseline),
            s(chart::OriginX),     s(chart::OriginY),
            s(chart::LabelHeight), s(1)};
}

std::int32_t LargestCount(std::span<const std::int32_t> histogram, std::int32_t maxSide) {
    std::int32_t largest = 0;
    for (std::size_t s = 0; s < ClassCount(histogram, maxSide); ++s) {
        largest = std::max(largest, histogram[s]);
    }
    return largest;
}

int RightFlushX(std::u16string_view text) {
    int bytes = 0;
    for (const char16_t c : text) bytes += IsHalfWidth(c) ? 1 : 2;
    return chart::Width - 12 * (bytes / 2);
}

SizeChartLayout LayOutSizeChart(std::span<const std::int32_t> histogram, std::int32_t maxSide,
                                int dpi) {
    const ChartGeometry g = ChartGeometryAt(dpi);
    SizeChartLayout layout;
    layout.largestCount = LargestCount(histogram, maxSide);

    double barWidth = 1.0;
    if (maxSide > 0 && layout.largestCount > 0) {
        const double plotWidth = g.plotRight - g.plotLeft;
        const double plotHeight = g.baseline - g.plotTop;
        const double horizontal = plotWidth / maxSide;             // pixels per unit of SquareSide
        const double vertical = plotHeight / layout.largestCount;  // pixels per file
        barWidth = std::max(horizontal, 1.0);
        for (std::size_t s = 0; s < ClassCount(histogram, maxSide); ++s) {
            ChartRect r;
            r.left = static_cast<int>(g.plotLeft + horizontal * static_cast<double>(s));
            r.top = static_cast<int>(g.height - (g.plotTop + vertical * histogram[s]));
            r.right = static_cast<int>(r.left + barWidth);
            r.bottom = g.baseline;
            if (r.top < r.bottom) layout.bars.push_back({static_cast<std::int32_t>(s), r});
        }
    }
    // One bar width beyond the plot, so that the bar of maxSide, which starts at its right
    // end, is inside.
    layout.frame = {g.plotLeft, g.plotTop, static_cast<int>(g.plotRight + barWidth), g.baseline};

    const auto s = [dpi](int length) { return Scale(length, dpi); };
    const std::int32_t half = static_cast<std::int32_t>(maxSide * 0.5);
    const std::int32_t quarter = static_cast<std::int32_t>(maxSide * 0.25);
    layout.labels = {
        {text::ChartCountAxis, s(2), s(2)},
        {text::ChartSizeAxis, s(RightFlushX(text::ChartSizeAxis)), s(LabelRow)},
        {Digits(layout.largestCount), s(2), s(chart::PlotTop)},
        {Digits(static_cast<std::int32_t>(layout.largestCount * 0.5)), s(2), s(120)},
        {SizeText(half), s(180), s(LabelRow)},
        {SizeText(quarter), s(90), s(LabelRow)},
        {SizeText(0), s(2), s(LabelRow)},
    };
    return layout;
}

ChartRect ChartAreaAt(int dpi) {
    const ChartGeometry g = ChartGeometryAt(dpi);
    return {g.originX, g.originY, g.originX + g.width, g.originY + g.height};
}

std::optional<std::int32_t> PointerToSide(int x, int y, std::int32_t maxSide, int dpi) {
    const ChartGeometry g = ChartGeometryAt(dpi);
    const int left = g.originX + g.plotLeft;
    const int right = g.originX + g.plotRight;
    const ChartRect area = ChartAreaAt(dpi);
    if (!(left < x && x < right && area.top < y && y < area.bottom)) return std::nullopt;
    return static_cast<std::int32_t>(std::floor((x - left) / double(g.width) * maxSide));
}

}  // namespace tessel
