// tests/support/tick_until.h: a front end's timer for the job tests, on every platform. Only
// the job suites include it: RunMonitor lives in tessel_job, which the support library does
// not link, so this stays header-only.
#pragma once

#include <chrono>

#include "job/run_monitor.h"
#include "support/poll.h"

namespace tessel::test {

// Ticks as the window's timer would, but faster, until `until` holds for a tick (or the limit
// has passed); the last tick. Every tick is a look a front end could have had.
template <typename Until>
JobTick TickUntil(RunMonitor& monitor, Until until,
                  std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    JobTick tick;
    PollUntil(
        [&] {
            tick = monitor.Tick();
            return until(static_cast<const JobTick&>(tick));
        },
        limit);
    return tick;
}

// Ticks until the tick that sees the run's end.
inline JobTick TickToTheEnd(RunMonitor& monitor) {
    return TickUntil(monitor, [](const JobTick& t) { return t.ended; });
}

}  // namespace tessel::test

namespace tessel {  // named for the tests as test_support.h names its own
using test::TickToTheEnd;
using test::TickUntil;
}  // namespace tessel
