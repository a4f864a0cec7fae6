// The chart's texts reach the Windows binary as code page 932 bytes, and with them the
// right-hand axis title its place flush right.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "threshold/size_chart.h"
#include "threshold/texts.h"

namespace tessel {
namespace {

TEST(ChartTexts, AreCodePage932) {
    EXPECT_STREQ(text::ChartTimes, "\x81\x7E");  // the full-width ×
    EXPECT_STREQ(text::ChartSizeAxis, "\x8F\x63\x89\xA1\x83\x54\x83\x43\x83\x59");  // 縦横サイズ
    // ファイル数（個）
    EXPECT_STREQ(text::ChartCountAxis,
                 "\x83\x74\x83\x40\x83\x43\x83\x8B\x90\x94\x81\x69\x8C\xC2\x81\x6A");
}

TEST(ChartTexts, SizeAxisTitleEndsAtTheRightEdge) {
    const SizeChartLayout layout = LayOutSizeChart(std::vector<std::int32_t>{1, 2}, 1);
    const auto title =
        std::find_if(layout.labels.begin(), layout.labels.end(),
                     [](const ChartLabel& l) { return l.text == text::ChartSizeAxis; });
    ASSERT_NE(title, layout.labels.end());
    EXPECT_EQ(title->x, 300);
    EXPECT_EQ(title->y, 226);
    EXPECT_EQ(layout.labels[4].text,
              "0\x81\x7E"
              "0");  // maxSide 1: half of it is 0
}

}  // namespace
}  // namespace tessel
