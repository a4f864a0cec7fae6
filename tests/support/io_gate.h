// tests/support/io_gate.h: holds one thread inside a file-system call until the test lets it
// go (files/os/io_hold.h), as a disk that stops answering would. The test then acts while the
// worker is provably inside that call, on a fast machine and a loaded one alike, and fails
// loudly (rather than passing without its case) when the call was never reached.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>

#include "files/os/io_hold.h"

namespace tessel::test {

class IoGate {
public:
    // Holds the first call of `step` on the file `name` at an offset of `from` or more; every
    // other call passes. In force for the gate's life; the destructor lets a held thread go.
    IoGate(os::IoStep step, std::string name, std::uint64_t from = 0);
    ~IoGate();
    IoGate(const IoGate&) = delete;
    IoGate& operator=(const IoGate&) = delete;

    // Whether the call was reached, waiting for it up to `limit`.
    bool WaitUntilHeld(std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Lets the held thread go (and the call, if it comes later, pass).
    void Release();
    // Lets it go once `token` is stopped: for a test whose own thread is the one that stops
    // the worker and then waits for it.
    void ReleaseOnStop(std::stop_token token);
    bool Held() const;

private:
    // Shared with the hold, which a released thread may still be leaving after the gate is
    // gone.
    struct State {
        os::IoStep step;
        std::string name;
        std::uint64_t from = 0;
        std::mutex lock;
        std::condition_variable changed;
        bool reached = false;
        bool released = false;
        void Hold();
        void Release();
    };
    std::shared_ptr<State> state_;
    std::unique_ptr<std::stop_callback<std::function<void()>>> onStop_;
};

}  // namespace tessel::test
