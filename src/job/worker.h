// job/worker.h: the thread that carries out one run from the settings in the job record:
// search, totals and duplicates, the bound, the summary, the copies and the final text. It
// talks to the rest of the program only through the record.
#pragma once

#include <stop_token>

#include "job/extraction_job.h"

namespace tessel {

// The thread's body. From the moment `stop` is requested it starts no further folder, file or
// phase, writes nothing more into `job`, removes a copy under way, and returns.
void ExtractionWorker(std::stop_token stop, ExtractionJob& job);

// Starts a worker in job.workerThread for the settings already in `job` (its texts, options,
// running = 1, progress and thresholdRequested 0), written before the call without the lock.
// A worker of an earlier run must have ended.
void StartWorker(ExtractionJob& job);

// Stops the worker, if one is running, and waits for it. Afterwards the lock is free, no
// partial file is left, and nothing more is written into `job`. Returns at once when no
// worker runs. Does not touch `running`, `progress` or `statusText`: the caller decides what
// the stop means. A manual-bound request that was waiting is withdrawn (thresholdRequest
// null, thresholdRequested 0, ThresholdPending clear): it lived on the worker's stack.
void StopWorker(ExtractionJob& job);

}  // namespace tessel
