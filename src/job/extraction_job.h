// job/extraction_job.h: the one record that the user-interface thread (or the tessel
// command's loop) and the worker thread share, and its one lock. While a worker exists
// every field below `lock` is read and written only under it, and it is held only while a
// few values are copied or one text is formed: never during file I/O, a sleep or a dialog.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "files/folder_scan.h"
#include "threshold/auto_bound.h"

namespace tessel {

// Bits of ExtractionJob::options. Exactly one bit of each group is set by a run request.
enum Option : std::uint32_t {
    Numbered = 0x02,          // duplicates: numbered names
    Overwrite = 0x04,         // duplicates: overwrite
    SeparateFolder = 0x08,    // duplicates: the duplicates sub-folder
    ThresholdNone = 0x10,     // no lower bound on image size
    ThresholdAuto = 0x20,     // bound computed automatically
    ThresholdManual = 0x40,   // bound asked of the user in each run
    ThresholdPending = 0x80,  // set by the worker while its manual-bound request waits
};
inline constexpr std::uint32_t DuplicateModeMask = Numbered | Overwrite | SeparateFolder;
inline constexpr std::uint32_t ThresholdModeMask = ThresholdNone | ThresholdAuto | ThresholdManual;

// The worker's question in the manual-bound mode. Owned by the worker; the histogram is
// only read by the answering side, while the worker waits.
struct ThresholdRequest {
    const SideHistogram* histogram = nullptr;  // maxSide + 1 counters
    std::int32_t maxSide = 0;
    std::int32_t bound = 0;  // in: the automatic proposal (0: none); out: the user's answer
};

// Longest status text in bytes; every composition into it is cut to this.
inline constexpr std::size_t StatusTextLimit = 1023;

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
    std::mutex lock;

    // Settings of the tessel command, beyond what the window uses. Like `options` they are
    // set before the worker starts and only read by it, so they need no lock.
    //
    // Search, totals and bound only: no file is copied, and the final text is the summary.
    bool dryRun = false;
    // Called once on the worker thread, without the lock, right after the search (not when
    // the run was stopped during it), with every found file in scan order.
    std::function<void(const FoundFileList&)> foundFilesHook;
    // Called once on the worker thread, without the lock, right after it has set `running`
    // to 0 (never after a stop), so that a front end waiting for the end need not wait for
    // its next look.
    std::function<void()> runEnded;

    // Wakes the worker's manual-bound wait early when the request is answered or the run
    // is stopped; the wait still looks once a second.
    std::condition_variable_any answered;
    // Last: destroyed first, so the worker is stopped and joined before the lock and the
    // texts go away.
    std::jthread workerThread;
};

}  // namespace tessel
