// job/extraction_job.h: the one record that the user-interface thread (or the tessel
// command's loop) and the worker thread share, and its one lock. While a worker exists
// every field below `lock` is read and written only under it, and it is held only while a
// few values are copied or one text is formed: never during file I/O, a sleep or a dialog.
//
// Who owns what across the threads:
// - this record and its lock: shared by the front end's thread and the worker; the record's
//   fields only under `lock`. It is the one lock of the run: there is no lock order.
// - the worker's thread, and those of stopped workers: owned by the front end's RunMonitor
//   (job/run_monitor.h), which starts, stops, retires and joins them. Nothing else does.
// - WorkerState (job/in_call.h): shared by a worker's thread, which writes it, and its
//   RunMonitor, which waits on it; guarded by its own lock because a stopped worker must
//   never take the record's lock again, and still has to say when it ends.
// - everything a run finds, measures and copies (the found list, the histogram, the bound
//   request's histogram): the worker's, on its own stack, handed to nobody but the hooks.
// - what the command hears beyond the record (its report, its progress figures): the
//   command's, written by the worker's hooks and read by the command's loop, each guarded
//   by its owner (the report's own lock, atomics).
// - the IoHold (files/os/io_hold.h): the tests', process-wide, guarded by its own lock.
//
// Front ends do not touch the record's fields: they go through RunMonitor, which starts a
// run, reads what a tick shows, answers a bound request and aborts. The worker
// (job/worker.h) is the record's other side.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "files/copy_planner.h"
#include "threshold/auto_bound.h"

namespace tessel {

// Bits of ExtractionJob::options, its stored form. Exactly one bit of each group is set by a
// run request; the modes below are what the code reads out of them.
enum Option : std::uint32_t {
    Numbered = 0x02,         // duplicates: numbered names
    Overwrite = 0x04,        // duplicates: overwrite
    SeparateFolder = 0x08,   // duplicates: the duplicates sub-folder
    ThresholdNone = 0x10,    // no lower bound on image size
    ThresholdAuto = 0x20,    // bound computed automatically
    ThresholdManual = 0x40,  // bound asked of the user in each run
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

// The worker's question in the manual-bound mode, in the record while it waits. The histogram
// is the worker's, read by the answering side only while the question stands.
struct ThresholdRequest {
    // Names the question: an answer given to an earlier one (a dialog that outlived its run)
    // never reaches a later one.
    std::uint64_t serial = 0;
    const SideHistogram* histogram = nullptr;  // maxSide + 1 counters
    std::int32_t maxSide = 0;
    std::int32_t bound = 0;              // the automatic proposal (0: none)
    std::optional<std::int32_t> answer;  // the user's bound, once given
};

// Longest status text in bytes; every composition into it is cut to this.
inline constexpr std::size_t StatusTextLimit = 1023;

struct ExtractionJob {
    std::uint32_t options = 0;
    std::string sourceFolder;       // as typed, at most 259 characters in the window
    std::string destinationFolder;  // as typed, not normalised
    std::string extensionList;      // "," + the typed list + ","
    std::int32_t running = 0;
    std::int32_t progress = 0;
    std::string statusText;  // at most StatusTextLimit bytes
    // Set while the worker waits for a bound; it takes its answer back out itself.
    std::optional<ThresholdRequest> thresholdRequest;
    // Set with running = 0 when memory ran out: the run ended early, and its status text is
    // as it stood then.
    bool outOfMemory = false;
    std::mutex lock;
    // Wakes the worker's manual-bound wait early when the request is answered or the run
    // is stopped; the wait still looks once a second.
    std::condition_variable_any answered;
};

}  // namespace tessel
