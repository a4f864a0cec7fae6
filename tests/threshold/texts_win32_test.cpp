// The chart's texts reach the Windows binary as UTF-16, and with them the right-hand axis
// title its place flush right.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "threshold/size_chart.h"
#include "threshold/texts.h"

namespace tessel {
namespace {

TEST(ChartTexts, AreUtf16) {
    EXPECT_EQ(std::u16string_view(text::ChartTimes), u"\xD7");  // the full-width ×
    EXPECT_EQ(std::u16string_view(text::ChartSizeAxis), u"\x7E26\x6A2A\x30B5\x30A4\x30BA");
    // ファイル数（個）
    EXPECT_EQ(std::u16string_view(text::ChartCountAxis),
              u"\x30D5\x30A1\x30A4\x30EB\x6570\xFF08\x500B\xFF09");
}

TEST(ChartTexts, SizeAxisTitleEndsAtTheRightEdge) {
    const SizeChartLayout layout = LayOutSizeChart(std::vector<std::int32_t>{1, 2}, 1, 96);
    const auto title =
        std::find_if(layout.labels.begin(), layout.labels.end(),
                     [](const ChartLabel& l) { return l.text == text::ChartSizeAxis; });
    ASSERT_NE(title, layout.labels.end());
    EXPECT_EQ(title->x, 300);
    EXPECT_EQ(title->y, 226);
    EXPECT_EQ(layout.labels[4].text,
              u"0\xD7"
              u"0");  // maxSide 1: half of it is 0
}

}  // namespace
}  // namespace tessel
