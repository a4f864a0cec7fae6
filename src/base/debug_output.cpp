// base/debug_output.cpp: the portable half; the hook is atomic because Sqr runs on the
// worker thread too.
#include "base/debug_output.h"

#include <atomic>

namespace tessel {
namespace {
std::atomic<DebugOutputHook> installedHook{nullptr};
}

void DebugOutput(const char* line) {
    detail::PlatformDebugOutput(line);
    if (const DebugOutputHook hook = installedHook.load()) hook(line);
}

DebugOutputHook SetDebugOutputHook(DebugOutputHook hook) {
    return installedHook.exchange(hook);
}

}  // namespace tessel
