// threshold/size_chart.h: the geometry of the size histogram that the threshold dialog
// shows: one bar per SquareSide class from 0 to maxSide, a frame and the axis labels, all in
// pixels of the chart bitmap (360 x 240 at 96 DPI, scaled at any other); and which size lies
// under the pointer. Pure: the dialog draws what these functions decide.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The chart as drawn for 96 DPI.
namespace chart {
inline constexpr int Width = 360;  // the bitmap, and the divisor of PointerToSide
inline constexpr int Height = 240;
inline constexpr int PlotLeft = 16;  // the bars spread over x = 16 to 344
inline constexpr int PlotRight = 344;
inline constexpr int PlotTop = 16;
inline constexpr int Baseline = 224;
// Where the bitmap's (0, 0) lies in the dialog's client area (ChartOrigin).
inline constexpr int OriginX = 8;
inline constexpr int OriginY = 8;
inline constexpr int LabelHeight = 12;  // the label font's cell height
}  // namespace chart

// The chart at a DPI: each length above scaled (base/scale.h). The bars are spread over the
// scaled plot, so a finer screen shows finer classes; they are not the 96-DPI bars enlarged.
struct ChartGeometry {
    int width, height;  // the bitmap
    int plotLeft, plotRight, plotTop, baseline;
    int originX, originY;  // the bitmap's (0, 0) in the dialog's client area
    int labelHeight;
    int lineWidth;  // of the frame and of the pointer line: one pixel at 96 DPI
    friend bool operator==(const ChartGeometry&, const ChartGeometry&) = default;
};
ChartGeometry ChartGeometryAt(int dpi);

// A rectangle as GDI takes it: right and bottom are outside.
struct ChartRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const ChartRect&, const ChartRect&) = default;
};

struct ChartBar {
    std::int32_t side = 0;  // the size class
    ChartRect rect;
    friend bool operator==(const ChartBar&, const ChartBar&) = default;
};

// Text in UTF-16, drawn with its top left corner at (x, y).
struct ChartLabel {
    std::u16string text;
    int x = 0, y = 0;
    friend bool operator==(const ChartLabel&, const ChartLabel&) = default;
};

struct SizeChartLayout {
    std::int32_t largestCount = 0;
    // One per class that has files, in class order; an empty class draws nothing, not even
    // a line on the baseline. When the scales are classes per pixel below 1, several bars
    // share a column and the tallest shows.
    std::vector<ChartBar> bars;
    ChartRect frame;                 // its outline is drawn over the bars, lineWidth wide
    std::vector<ChartLabel> labels;  // drawn last, opaque, in this order
};

// The largest count of the classes 0 to maxSide; 0 when there are none or all are empty.
std::int32_t LargestCount(std::span<const std::int32_t> histogram, std::int32_t maxSide);

// Bars, frame and labels for `histogram` (maxSide + 1 counters; a shorter one counts as
// empty past its end) at `dpi`. Without a size to spread (maxSide 0) or a file to count
// (largest count 0) a scale would divide by zero: the chart then has the frame and the
// labels only. A bar is at least one pixel wide at every DPI.
SizeChartLayout LayOutSizeChart(std::span<const std::int32_t> histogram, std::int32_t maxSide,
                                int dpi);

// The x at which `text` ends flush with the 96-DPI chart's right edge, counting every two
// bytes the text takes in code page 932 as one full-width character of the 12-pixel label
// font: a character is two bytes, but ASCII and the half-width katakana one (so a lone last
// one takes no cell). The chart's texts are all full-width.
int RightFlushX(std::u16string_view text);

// The dialog's client rectangle that the chart covers at `dpi`; the pointer line is drawn
// within it. (8, 8)-(368, 248) at 96 DPI.
ChartRect ChartAreaAt(int dpi);

// The size under the pointer at client (x, y), or none when the pointer is not over the
// bars: at 96 DPI 24 < x < 352 and 8 < y < 248, at another DPI the same edges scaled. The x
// is read against the whole bitmap width (360 at 96 DPI), not the 328 pixels of the bars, so
// the value shown at the bar of size s is about 0.91 s at every DPI.
std::optional<std::int32_t> PointerToSide(int x, int y, std::int32_t maxSide, int dpi);

}  // namespace tessel
