// job/extraction_job.h: the one record that the user-interface thread (or the tessel
// command's loop) and the worker thread share, and its one lock. While a worker exists
// every field below `lock` is read and written only under it, and it is held only while a
// few values are copied or one text is formed: never during file I/O, a sleep or a dialog.
//
// Front ends do not touch the record's fields: they go through RunMonitor
// (job/run_monitor.h), which starts a run, reads what a tick shows, answers a bound request
// and aborts. The worker (job/worker.h) is the record's other side.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/copy_planner.h"
#include "job/in_call.h"
#include "threshold/auto_bound.h"

namespace tessel {

// Bits of ExtractionJob::options, its stored form. Exactly one bit of each group is set by a
// run request; the modes below are what the code reads out of them.
enum Option : std::uint32_t {
    Numbered = 0x02,          // duplicates: numbered names
    Overwrite = 0x04,         // duplicates: overwrite
    SeparateFolder = 0x08,    // duplicates: the duplicates sub-folder
    ThresholdNone = 0x10,     // no lower bound on image size
    ThresholdAuto = 0x20,     // bound computed automatically
    ThresholdManual = 0x40,   // bound asked of the user in each run
    ThresholdPending = 0x80,  // set by the worker while its manual-bound request waits
};

// The run's lower bound on image size.
enum class ThresholdMode { None, Auto, Manual };

// The options word for one duplicate mode and one threshold mode.
std::uint32_t OptionsWord(DuplicateMode duplicates, ThresholdMode threshold);
// The duplicate mode whose bit alone is set in its group; none for any other pattern, and
// then nothing is copied.
std::optional<DuplicateMode> DuplicateModeOf(std::uint32_t options);
// Auto or Manual when that bit alone is set in its group; None otherwise, as a run without
// a bound.
ThresholdMode ThresholdModeOf(std::uint32_t options);

// The worker's question in the manual-bound mode. Owned by the worker; the histogram is
// only read by the answering side, while the worker waits.
struct ThresholdRequest {
    const SideHistogram* histogram = nullptr;  // maxSide + 1 counters
    std::int32_t maxSide = 0;
    std::int32_t bound = 0;  // in: the automatic proposal (0: none); out: the user's answer
};

// Longest status text in bytes; every composition into it is cut to this.
inline constexpr std::size_t StatusTextLimit = 1023;

// A worker that was stopped while inside a call: it ends when the call returns, and writes
// nothing into the record from the stop on.
struct StoppedWorker {
    std::jthread thread;
    std::shared_ptr<WorkerState> state;
};

struct ExtractionJob {
    std::uint32_t options = 0;
    std::string sourceFolder;       // as typed, at most 259 characters in the window
    std::string destinationFolder;  // as typed, not normalised
    std::string extensionList;      // "," + the typed list + ","
    std::int32_t running = 0;
    std::int32_t thresholdRequested = 0;
    std::int32_t progress = 0;
    std::string statusText;                        // at most StatusTextLimit bytes
    ThresholdRequest* thresholdRequest = nullptr;  // set while the worker asks
    // Set with running = 0 when memory ran out: the run ended early, and its status text is
    // as it stood then.
    bool outOfMemory = false;
    std::mutex lock;

    // Counts the worker's bound requests. An answer names the request it answers, so an
    // answer that comes back after its run was stopped can never reach a later request,
    // wherever that one lives.
    std::uint64_t requestSerial = 0;
    // Wakes the worker's manual-bound wait early when the request is answered or the run
    // is stopped; the wait still looks once a second.
    std::condition_variable_any answered;
    // Stopped workers that may still be inside a call: joined when the record goes, before
    // its lock (they may yet take it to leave a wait).
    std::vector<StoppedWorker> stoppedWorkers;
    std::shared_ptr<WorkerState> workerState;  // of workerThread
    // Last: destroyed first, so the worker is stopped and joined before the lock and the
    // texts go away.
    std::jthread workerThread;
};

}  // namespace tessel
