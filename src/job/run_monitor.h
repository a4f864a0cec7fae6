// job/run_monitor.h: the front ends' one side of the job record. The window's timer, the
// tessel command's loop and the tests all drive a run through these calls, so that none of
// them reads the record's fields itself or has to know in which order an answer, an abort
// and the end of a run must touch them.
//
// The calls belong to one thread, the front end's; the worker runs on its own. A RunMonitor
// owns the worker's thread and those of the workers it stopped (see the ownership notes in
// job/extraction_job.h), and knows one more thing than the record: whether the form still
// shows the run, so that an aborted run is put back into its idle look exactly once.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "job/extraction_job.h"
#include "job/worker.h"
#include "threshold/auto_bound.h"

namespace tessel {

// A run as a run request settles it. The texts are the engine's UTF-8: the window converts
// the UTF-16 it reads from its fields first.
struct RunSettings {
    std::uint32_t options = 0;  // one bit of each group (OptionsWord)
    std::string sourceFolder;
    std::string destinationFolder;
    std::string extensionList;  // "," + the typed list + "," (MakeExtensionList)
};

// The worker's manual-bound request, copied out of the record: the dialog that shows it may
// outlive the request, when the run is stopped or the window closed meanwhile.
struct BoundQuestion {
    std::uint64_t serial = 0;  // names the request for AnswerBound
    SideHistogram histogram;   // maxSide + 1 counters
    std::int32_t maxSide = 0;
    std::int32_t proposal = 0;  // the automatic bound, 0 when none was found
};

// What one look at the record shows.
struct JobTick {
    bool running = false;
    std::int32_t progress = 0;
    std::string statusText;  // the worker's text as it stands
    // The worker waits for a bound. The front end answers it with AnswerBound and, until
    // then, looks no more.
    std::optional<BoundQuestion> question;
    // The run is over: this is the one look that sees its end. The front end accepts drops
    // again and, unless an abort did it already, shows `previousRunBlock` (the record's
    // status text is that block now, and the run's folder texts are released).
    bool ended = false;
    std::optional<std::string> previousRunBlock;
    // With `ended`: memory ran out, so the run stopped early (its text is as it stood). The
    // tessel command exits with its own code; the window shows the block as for any end.
    bool outOfMemory = false;
};

class RunMonitor {
public:
    // Over a record of its own, as the front ends hold it.
    RunMonitor();
    // Over `job`, which must outlive it: for the tests, which look into the record.
    explicit RunMonitor(ExtractionJob& job);
    // Stops a worker that still runs, as the window's end does, and joins every worker,
    // the stopped ones too (they may yet take the lock to leave a wait).
    ~RunMonitor();
    RunMonitor(const RunMonitor&) = delete;
    RunMonitor& operator=(const RunMonitor&) = delete;

    // Whether a run was started and has neither been aborted nor seen to end by Tick.
    bool RunUnderWay() const { return phase_ == Phase::Running; }

    // Fills the record from `settings` (running 1, progress 0, no request, the searching
    // line as the status text, as the window shows it), and starts the worker with
    // `extras`. No run may be under way; an aborted one need not have been ticked to its
    // end. Throws nothing: when no thread can be made for the worker, the run ends at once
    // as one that ran out of memory, and the next Tick says so.
    void Start(RunSettings settings, RunExtras extras = {});

    // One look, under the lock. When it sees the end of the run it also ends the run on the
    // record's side (see JobTick::ended).
    JobTick Tick();

    // Answers the request `serial` with `bound` and releases the worker. Does nothing when
    // that request is no longer waiting: the run was stopped, or the window closed, while
    // the question was open.
    void AnswerBound(std::uint64_t serial, std::int32_t bound);

    // The Abort button. During a run: stops the worker (files already copied stay, no
    // partial file is left, the worker writes nothing more), sets running to 0 and returns
    // the previous-run block for the form to show now; the next Tick ends the run without a
    // second block. Without a run under way: nothing, and no value (the button then closes).
    std::optional<std::string> Abort();

    // The program's end (the menu's exit, the window's close): stops a worker that still
    // runs, and restores nothing.
    void Stop();

    // Waits up to `limit` for every worker of this monitor to end, the running one and the
    // stopped ones; whether they all have. For the program's end, for whoever must see the
    // last of a stopped copy, and for whoever waits for a run to end.
    bool WaitForWorkers(std::chrono::milliseconds limit);
    // The file or folder that each stopped worker's unreturned call is about.
    std::vector<std::string> CallsWaitedFor();
    // The running worker's stop token (a stopped one when there is none): what is held for
    // the run elsewhere may give way the moment it is stopped.
    std::stop_token WorkerStop() const { return worker_.get_stop_token(); }

private:
    enum class Phase { Idle, Running, Aborted };

    // A worker stopped while inside a call: it ends when the call returns, and writes
    // nothing into the record from the stop on.
    struct StoppedWorker {
        std::jthread thread;
        std::shared_ptr<WorkerState> state;
    };

    void StartWorker(RunExtras extras);
    // Stops the worker, if one runs. Waits for it only while it is outside the file system:
    // a worker inside a call (a listing, a read, a copy), which a disk that stopped answering
    // may hold for a minute, is retired to end when the call returns; it then writes nothing
    // more into the record and removes what it was writing. Either way the lock is free
    // afterwards and no worker runs. Does not touch `running`, `progress` or `statusText`:
    // the caller decides what the stop means. A bound request that was waiting is withdrawn.
    // On Windows the worker's pending call is also asked to give up (CancelSynchronousIo),
    // which network reads honour.
    void StopWorker();

    std::unique_ptr<ExtractionJob> own_;  // when the monitor holds its record itself
    ExtractionJob& job_;
    Phase phase_ = Phase::Idle;
    std::vector<StoppedWorker> stopped_;
    std::shared_ptr<WorkerState> state_;  // of worker_
    // Last: destroyed first, so the worker is stopped and joined before the rest.
    std::jthread worker_;
};

// Asks the system to give up the pending file-system call of `worker` (the stop is requested
// already). Windows: CancelSynchronousIo; elsewhere nothing can be asked.
void CancelPendingCall(std::jthread& worker);

}  // namespace tessel
