// job/stages.h: the first three stages of a run, as plain functions of plain values: the
// search, the tally (totals and repeated names) and the choice of the bound. The fourth, the
// copies, is job/copy_stage.h's. They know nothing of the job record or of threads: the worker
// (job/worker.h) calls them in turn and shows what each gives; a test calls them on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "files/folder_scan.h"
#include "job/extraction_job.h"
#include "job/in_call.h"
#include "job/run_report.h"
#include "threshold/auto_bound.h"

namespace tessel {

// How the search goes about it (folder_scan.h's ScanHooks): whether the headers are read,
// and how many calls it keeps in flight.
struct SearchPlan {
    bool measure = true;
    std::size_t inFlight = 1;
};

// The search: every file under `source` whose extension is on `extensionList`, in scan
// order. `entered` hears each folder as it is entered, with the count of folders entered and
// of files found so far. The whole walk is one call into the file system for `calls`.
FoundFileList Search(const std::string& source, const std::string& extensionList,
                     const SearchPlan& plan,
                     const std::function<void(const std::string& folder, std::size_t folders,
                                              std::size_t files)>& entered,
                     const std::stop_token& stop, WorkerState& calls);

struct Tally {
    std::uint64_t count = 0;
    std::uint64_t totalBytes = 0;
    std::uint64_t duplicates = 0;  // files whose name an earlier file had
    std::int64_t sumSides = 0;
    std::int32_t maxSide = 0;
};

// The totals and repeated names of `found`, one step of `progress` per file; `percent` hears
// each new whole percentage and says whether to go on. nullopt when it said no, or on a stop.
std::optional<Tally> TallyFound(const FoundFileList& found, RunProgress& progress,
                                const std::function<bool(std::int32_t percent)>& percent,
                                const std::stop_token& stop);

// What asks the user for the bound in the manual mode: the histogram, its largest side and the
// automatic proposal in; the answer out, nullopt when the run was stopped meanwhile.
using AskBound = std::function<std::optional<std::int32_t>(
    const SideHistogram& histogram, std::int32_t maxSide, std::int32_t proposal)>;

// The run's bound: 0 without one, the automatic bound (0 when none is found), or the user's
// answer to `ask` in the manual mode. nullopt when the question was not answered.
std::optional<std::int32_t> ChooseBound(ThresholdMode mode, const FoundFileList& found,
                                        const Tally& tally, const AskBound& ask);

}  // namespace tessel
