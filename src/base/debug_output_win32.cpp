#include <windows.h>

#include "base/debug_output.h"

namespace tessel::detail {
void PlatformDebugOutput(const char* line) {
    ::OutputDebugStringA(line);
}
}  // namespace tessel::detail
