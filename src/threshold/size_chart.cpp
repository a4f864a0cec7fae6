// threshold/size_chart.cpp: scales in double precision, every pixel cut toward zero.
#include "threshold/size_chart.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "threshold/texts.h"

namespace tessel {
namespace {

constexpr double PlotWidth = chart::PlotRight - chart::PlotLeft;  // 328
constexpr double PlotHeight = chart::Baseline - chart::PlotTop;   // 208
constexpr int LabelRow = 226;                                     // under the baseline

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

SizeChartLayout LayOutSizeChart(std::span<const std::int32_t> histogram, std::int32_t maxSide) {
    SizeChartLayout layout;
    layout.largestCount = LargestCount(histogram, maxSide);

    double barWidth = 1.0;
    if (maxSide > 0 && layout.largestCount > 0) {
        const double horizontal = PlotWidth / maxSide;             // pixels per unit of SquareSide
        const double vertical = PlotHeight / layout.largestCount;  // pixels per file
        barWidth = std::max(horizontal, 1.0);
        for (std::size_t s = 0; s < ClassCount(histogram, maxSide); ++s) {
            ChartRect r;
            r.left = static_cast<int>(chart::PlotLeft + horizontal * static_cast<double>(s));
            r.top = static_cast<int>(chart::Height - (chart::PlotTop + vertical * histogram[s]));
            r.right = static_cast<int>(r.left + barWidth);
            r.bottom = chart::Baseline;
            if (r.top < r.bottom) layout.bars.push_back({static_cast<std::int32_t>(s), r});
        }
    }
    // One bar width beyond 344, so that the bar of maxSide, which starts at 344, is inside.
    layout.frame = {chart::PlotLeft, chart::PlotTop, static_cast<int>(chart::PlotRight + barWidth),
                    chart::Baseline};

    const std::int32_t half = static_cast<std::int32_t>(maxSide * 0.5);
    const std::int32_t quarter = static_cast<std::int32_t>(maxSide * 0.25);
    layout.labels = {
        {text::ChartCountAxis, 2, 2},
        {text::ChartSizeAxis, RightFlushX(text::ChartSizeAxis), LabelRow},
        {Digits(layout.largestCount), 2, chart::PlotTop},
        {Digits(static_cast<std::int32_t>(layout.largestCount * 0.5)), 2, 120},
        {SizeText(half), 180, LabelRow},
        {SizeText(quarter), 90, LabelRow},
        {SizeText(0), 2, LabelRow},
    };
    return layout;
}

std::optional<std::int32_t> PointerToSide(int x, int y, std::int32_t maxSide) {
    if (!(24 < x && x < 352 && 8 < y && y < 248)) return std::nullopt;
    return static_cast<std::int32_t>(std::floor((x - 24) / double{chart::Width} * maxSide));
}

}  // namespace tessel
