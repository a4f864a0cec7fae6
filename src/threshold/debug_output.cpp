#include "threshold/debug_output.h"

#include <atomic>

#include "threshold/sqr.h"

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
