// threshold/texts.h: the size chart's axis texts, as UTF-16 literals: the threshold dialog
// draws them with the wide calls, on a Windows of any code page.
#pragma once

namespace tessel::text {

extern const char16_t ChartCountAxis[];  // over the vertical axis, top left
extern const char16_t ChartSizeAxis[];   // under the horizontal axis, flush right
extern const char16_t ChartTimes[];      // the full-width sign between the two sides of a size

}  // namespace tessel::text
