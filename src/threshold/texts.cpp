// threshold/texts.cpp: compiled with -fexec-charset=CP932 for Windows. Includes nothing that
// pulls in <chrono>: the micro sign in it has no code page 932 byte and stops the build.
#include "threshold/texts.h"

namespace tessel::text {

extern const char ChartCountAxis[] = "ファイル数（個）";
extern const char ChartSizeAxis[] = "縦横サイズ";
extern const char ChartTimes[] = "×";

}  // namespace tessel::text
