// threshold/texts.cpp: UTF-8 source, UTF-16 texts.
#include "threshold/texts.h"

namespace tessel::text {

extern const char16_t ChartCountAxis[] = u"ファイル数（個）";
extern const char16_t ChartSizeAxis[] = u"縦横サイズ";
extern const char16_t ChartTimes[] = u"×";

}  // namespace tessel::text
