// job/in_call.h: how a worker marks the time it spends inside the file system, where a stop
// cannot reach it until the call returns, so that a front end that stops it meanwhile does not
// wait for it. The stages mark their calls through this; the run's WorkerState hears of them.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

namespace tessel {

// What one worker tells beyond the record, for as long as either side holds it: whether it
// has ended, and whether it is inside a call to the file system, which a disk that stopped
// answering (a network share that went away, a failing drive) may keep for a minute. Owned
// jointly by the worker's thread and its RunMonitor (a shared_ptr each): the thread writes
// it, the monitor waits on it; its own lock guards it, and nothing else.
struct WorkerState {
    std::mutex lock;
    std::condition_variable changed;
    bool ended = false;
    int inCall = 0;       // > 0 while inside the file system
    std::string current;  // the file or folder that call is about (engine path, UTF-8)
};

class InCall {
public:
    InCall(WorkerState& state, const std::string& about) : state_(state) {
        std::scoped_lock hold(state_.lock);
        ++state_.inCall;
        state_.current = about;
        state_.changed.notify_all();
    }
    ~InCall() {
        std::scoped_lock hold(state_.lock);
        --state_.inCall;
        state_.changed.notify_all();
    }
    InCall(const InCall&) = delete;
    InCall& operator=(const InCall&) = delete;

    // What the call is about now, as the scan goes from folder to folder.
    void About(const std::string& about) {
        std::scoped_lock hold(state_.lock);
        state_.current = about;
    }

private:
    WorkerState& state_;
};

}  // namespace tessel
