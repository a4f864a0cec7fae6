#include "base/debug_output.h"

namespace tessel::detail {
// POSIX has no debugger output channel; the line goes nowhere (the tessel command's
// stdout and stderr belong to the user).
void PlatformDebugOutput(const char*) {}
}  // namespace tessel::detail
