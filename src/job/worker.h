// job/worker.h: the thread that carries out one run from the settings in the job record:
// search, totals and duplicates, the bound, the summary, the copies and the final text. It
// talks to the rest of the program only through the record. Front ends start and stop it
// through RunMonitor (job/run_monitor.h), not by these calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "files/file_account.h"
#include "files/folder_scan.h"
#include "job/extraction_job.h"

namespace tessel {

// What the tessel command asks of a run beyond the window's settings. Fixed before the
// worker starts and handed to it, never shared through the record.
struct RunExtras {
    // Search, totals and bound only: no file is copied, and the final text is the summary.
    bool dryRun = false;
    // Called once on the worker thread, without the lock, right after the search (not when
    // the run was stopped during it), with every found file in scan order.
    std::function<void(const FoundFileList&)> foundFilesHook;
    // Called once on the worker thread, without the lock, right after it has set `running`
    // to 0 (never after a stop), so that a front end waiting for the end need not wait for
    // its next look.
    std::function<void()> runEnded;

    // Not copied either: a file whose bytes stand at the top level of the destination or in
    // its duplicates folder, or in a copy made earlier in the run (files/content_index.h).
    bool sameContent = false;
    // Each copy is read back once it is in place and compared with its source; one that
    // differs is removed and its file failed.
    bool verify = false;
    // The source of each copy that stands whole under its final name, flushed to the disk
    // (and verified, with `verify`), is removed. Nothing else is: a file not copied stays
    // where it was.
    bool move = false;
    // Called once on the worker thread, without the lock, when a copy failed because the
    // destination folder is gone: the run then ends there (running = 0, its status as it
    // stood, no final text), and no source is removed after it. Without it such a run goes
    // on, every later copy failing like any other (the window's way).
    std::function<void(const std::string& destination)> destinationGone;

    // The hooks below are called on the worker thread, without the lock.
    // During the search, as each folder is entered: the folders entered and files found so far.
    std::function<void(std::size_t folders, std::size_t files)> searchProgress;
    // Once before the copies (not in a dry run): the files above the bound and their bytes.
    std::function<void(std::size_t files, std::uint64_t bytes)> copiesStarting;
    // For each found file the copy phase has handled, in scan order. A stop ends the accounts:
    // the file whose call was under way is told when that call returns if it came to an
    // outcome (a copy that the stop removed is not told), and no file after it.
    std::function<void(const FileAccount&)> fileHandled;
    // After a copy is in place and before it is verified: tests change it there.
    std::function<void(const std::string& copy)> copyPlaced;
};

// The thread's body. From the moment `stop` is requested it starts no further folder, file or
// phase, writes nothing more into `job` (not even its lock is taken again, but to leave the
// bound's wait), puts no copy in place (a copy under way is removed), and returns. `state`
// hears when it is inside a call to the file system.
void ExtractionWorker(std::stop_token stop, ExtractionJob& job, const RunExtras& extras,
                      WorkerState& state);

// Starts a worker in job.workerThread for the settings already in `job` (its texts, options,
// running = 1, progress and thresholdRequested 0). A worker of an earlier run must have been
// stopped or have ended; a stopped one may still be inside a call.
void StartWorker(ExtractionJob& job, RunExtras extras = {});

// Stops the worker, if one is running. Waits for it only while it is outside the file
// system: a worker inside a call (a listing, a read, a copy), which a disk that stopped
// answering may hold for a minute, is left to end when the call returns, as one of
// job.stoppedWorkers; it then writes nothing more into `job` and removes what it was
// writing. Either way the lock is free afterwards and job.workerThread holds no worker.
// Does not touch `running`, `progress` or `statusText`: the caller decides what the stop
// means. A manual-bound request that was waiting is withdrawn (thresholdRequest null,
// thresholdRequested 0, ThresholdPending clear): it lived on the worker's stack. On Windows
// the worker's pending call is also asked to give up (CancelSynchronousIo), which network
// reads honour.
void StopWorker(ExtractionJob& job);

// Waits up to `limit` for the stopped workers of `job` to end; whether they all have. For the
// program's end, and for whoever must see the last of a stopped copy.
bool WaitForStoppedWorkers(ExtractionJob& job, std::chrono::milliseconds limit);

// The file or folder that each stopped worker's unreturned call is about.
std::vector<std::string> StoppedWorkerCalls(ExtractionJob& job);

// Asks the system to give up the pending file-system call of `worker` (the stop is
// requested already). Windows: CancelSynchronousIo; elsewhere nothing can be asked.
void CancelPendingCall(std::jthread& worker);

}  // namespace tessel
