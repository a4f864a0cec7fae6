// threshold/texts.h: the size chart's axis texts. The definitions in texts.cpp are code page
// 932 in the Windows build and UTF-8 elsewhere; the chart places its right-hand axis title
// by the text's byte count, so that title lands where it should only in code page 932.
#pragma once

namespace tessel::text {

extern const char ChartCountAxis[];  // over the vertical axis, top left
extern const char ChartSizeAxis[];   // under the horizontal axis, flush right
extern const char ChartTimes[];      // the full-width sign between the two sides of a size

}  // namespace tessel::text
