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
#include <string_view>

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

    // Holds the file `name` instead, from now on: for a test that learns which file it wants
    // only from the run itself (the search's order, in a foundFilesHook). Callable from any
    // thread; no effect once a call was held.
    void AimAt(std::string name);
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
    // gone. Every field is read and written under `lock`.
    struct State {
        os::IoStep step;
        std::string name;
        std::uint64_t from = 0;
        std::mutex lock;
        std::condition_variable changed;
        bool reached = false;
        bool released = false;
        // Called for every file-system step while the gate stands: holds the first match.
        void Pass(os::IoStep step, std::string_view name, std::uint64_t offset);
        void Release();
    };
    std::shared_ptr<State> state_;
    std::unique_ptr<std::stop_callback<std::function<void()>>> onStop_;
};

}  // namespace tessel::test
