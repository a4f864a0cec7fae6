// base/debug_output.h: the debugger output, the program's one diagnostic channel.
// OutputDebugStringA on Windows, nothing on POSIX; an installed hook also sees every line
// on both (the tests install one).
#pragma once

namespace tessel {

void DebugOutput(const char* line);

// Installs `hook` and returns the one it replaces, so a caller can put that one back.
using DebugOutputHook = void (*)(const char* line);
DebugOutputHook SetDebugOutputHook(DebugOutputHook hook);

namespace detail {
// The platform's half: debug_output_win32.cpp or debug_output_posix.cpp.
void PlatformDebugOutput(const char* line);
}  // namespace detail

}  // namespace tessel
