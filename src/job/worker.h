// job/worker.h: the body of the thread that carries out one run from the settings in the job
// record: its stages (job/stages.h, job/copy_stage.h) one after the other, each followed by
// what the record shows of it. It talks to the rest of the program only through the record
// and the extras' hooks. RunMonitor (job/run_monitor.h) starts, stops and joins its thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>

#include "files/file_account.h"
#include "files/folder_scan.h"
#include "job/extraction_job.h"
#include "job/in_call.h"

namespace tessel {

// What the tessel command asks of a run beyond the window's settings. Fixed before the
// worker starts and handed to it, never shared through the record.
struct RunExtras {
    // Search, totals and bound only: no file is copied, and the final text is the summary.
    bool dryRun = false;
    // The found files' sizes are shown (the command's --list or --report): every header is
    // read even when no bound needs it.
    bool sizesShown = false;
    // How many calls to the file system the run keeps in flight; 0: as many as the source's
    // disk serves well (files/disk_kind.h). 1 makes one call after the other.
    std::size_t jobs = 0;
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
// hears when it is inside a call to the file system. A manual-bound request it posted is
// taken back out of the record by whoever stops it.
void ExtractionWorker(std::stop_token stop, ExtractionJob& job, const RunExtras& extras,
                      WorkerState& state);

}  // namespace tessel
