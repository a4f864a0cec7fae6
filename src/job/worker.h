// job/worker.h: the thread that carries out one run from the settings in the job record:
// search, totals and duplicates, the bound, the summary, the copies and the final text. It
// talks to the rest of the program only through the record. Front ends start and stop it
// through RunMonitor (job/run_monitor.h), not by these calls.
#pragma once

#include <functional>
#include <stop_token>

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
};

// The thread's body. From the moment `stop` is requested it starts no further folder, file or
// phase, writes nothing more into `job`, removes a copy under way, and returns.
void ExtractionWorker(std::stop_token stop, ExtractionJob& job, const RunExtras& extras);

// Starts a worker in job.workerThread for the settings already in `job` (its texts, options,
// running = 1, progress and thresholdRequested 0). A worker of an earlier run must have
// ended.
void StartWorker(ExtractionJob& job, RunExtras extras = {});

// Stops the worker, if one is running, and waits for it. Afterwards the lock is free, no
// partial file is left, and nothing more is written into `job`. Returns at once when no
// worker runs. Does not touch `running`, `progress` or `statusText`: the caller decides what
// the stop means. A manual-bound request that was waiting is withdrawn (thresholdRequest
// null, thresholdRequested 0, ThresholdPending clear): it lived on the worker's stack.
void StopWorker(ExtractionJob& job);

}  // namespace tessel
