// tests/support/poll.h: waiting for a condition that another thread or process makes true,
// where the test cannot hold that side at a known point. The limit only bounds a failure: a
// test that passes never waits for it, however slow the machine.
#pragma once

#include <chrono>
#include <thread>

namespace tessel::test {

// Looks at `done` until it holds or `limit` has passed; whether it held at the last look.
template <typename Condition>
bool PollUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        // Gives the other side the core between looks (two cores, shared with builds).
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace tessel::test
