// threshold/debug_output.h: the platform half of DebugOutput (see sqr.h).
#pragma once

namespace tessel::detail {
void PlatformDebugOutput(const char* line);
}
