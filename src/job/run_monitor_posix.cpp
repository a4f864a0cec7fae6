#include "job/run_monitor.h"

namespace tessel {

// A POSIX thread inside read() cannot be asked to give up the call without a signal handler
// of its own, and on a stuck disk the kernel keeps it there anyway: the stop waits for the
// call's return.
void CancelPendingCall(std::jthread&) {}

}  // namespace tessel
