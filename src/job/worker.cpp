// job/worker.cpp: one run, from the settings in the record to its final text, on its own
// thread: the four stages in turn, each followed by what the record shows of it. Everything
// the run allocates (the found-file list, the histogram, the request) is local to it and goes
// away with it. The worker writes into the record only through Publish(), which looks at the
// stop under the lock: RunMonitor requests the stop under the same lock, so once it has, the
// front end's own text (the abort's restore) stays as it is.
#include "job/worker.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "files/disk_kind.h"
#include "files/os/file_system.h"
#include "job/copy_stage.h"
#include "job/run_report.h"
#include "job/stages.h"
#include "job/status_text.h"
#include "job/texts.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

// What the run takes from the record at its start; later changes to the record do not
// reach it.
struct RunSettingsTaken {
    std::string source;
    std::string destination;
    std::string extensionList;
    std::uint32_t options = 0;
};

// Runs `write` under the record's lock unless the stop was requested. False when stopped:
// the worker then returns without another word. A stopped worker does not even take the
// lock: the record may have a later run by now, and its front end may be looking at it.
template <typename Write>
bool Publish(ExtractionJob& job, const std::stop_token& stop, Write&& write) {
    if (stop.stop_requested()) return false;
    std::scoped_lock hold(job.lock);
    if (stop.stop_requested()) return false;
    write();
    return true;
}

// Names every bound request of the process, so that no answer meets a request it was not
// given for, in whichever record and run.
std::atomic<std::uint64_t> lastRequest{0};

// The manual-bound handshake: post the request, then look once a second until the other
// side has answered. The answer (or a stop) also wakes the wait through `answered`, so
// neither has to wait out the second. nullopt when stopped; the request is then taken back
// by the stopper. Whatever way this frame is left, an exception included, a request it
// posted is gone from the record unless the stop took it already.
std::optional<std::int32_t> AskForBound(ExtractionJob& job, const std::stop_token& stop,
                                        const SideHistogram& histogram, std::int32_t maxSide,
                                        std::int32_t proposal) {
    std::unique_lock hold(job.lock);
    if (stop.stop_requested()) return std::nullopt;
    struct Posted {
        ExtractionJob& job;
        std::unique_lock<std::mutex>& hold;
        const std::stop_token& stop;
        ~Posted() {
            if (!hold.owns_lock()) hold.lock();
            // The stopper took a stopped request back itself; what the record holds now may
            // be a later run's.
            if (!stop.stop_requested()) job.thresholdRequest.reset();
        }
    } posted{job, hold, stop};
    job.thresholdRequest = ThresholdRequest{++lastRequest, &histogram, maxSide, proposal, {}};
    for (;;) {
        job.answered.wait_for(hold, stop, 1000ms,
                              [&] { return job.thresholdRequest->answer.has_value(); });
        if (stop.stop_requested()) return std::nullopt;
        if (job.thresholdRequest->answer) return *job.thresholdRequest->answer;
    }
}

CopyPlan PlanFor(const RunSettingsTaken& run, std::int32_t bound, const RunExtras& extras,
                 std::size_t inFlight) {
    CopyPlan plan;
    plan.destination = run.destination;
    plan.mode = DuplicateModeOf(run.options);
    // Without a bound every found file is taken, whatever its header says.
    if (ThresholdModeOf(run.options) != ThresholdMode::None) plan.bound = bound;
    plan.inFlight = inFlight;
    plan.dryRun = extras.dryRun;
    plan.sameContent = extras.sameContent;
    plan.verify = extras.verify;
    plan.move = extras.move;
    plan.endWhenDestinationGoes = static_cast<bool>(extras.destinationGone);
    return plan;
}

// The files above the bound and their bytes, for the command's progress line.
void TellCopiesStarting(const FoundFileList& found, const CopyPlan& plan, const RunExtras& extras) {
    if (extras.dryRun || !extras.copiesStarting) return;
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < found.Count(); ++i) {
        if (!IsTaken(found, i, plan)) continue;
        ++files;
        bytes += found.sizes[i];
    }
    extras.copiesStarting(files, bytes);
}

// The search, its folder trail shown as it goes. The trail keeps its newest 1023 bytes,
// counted in TextCodePage as the window always counted them; the paths in it are whole.
FoundFileList SearchShowing(ExtractionJob& job, const std::stop_token& stop,
                            const RunExtras& extras, WorkerState& state,
                            const RunSettingsTaken& run, std::size_t inFlight) {
    // A header that no bound and no listing needs is not read.
    const SearchPlan plan{ThresholdModeOf(run.options) != ThresholdMode::None || extras.sizesShown,
                          inFlight};
    return Search(
        run.source, run.extensionList, plan,
        [&](const std::string& folder, std::size_t folders, std::size_t files) {
            if (extras.searchProgress) extras.searchProgress(folders, files);
            const std::string line = "\r\n" + folder + os::PathSeparator;
            Publish(job, stop, [&] { AppendKeepingTail(job.statusText, line, StatusTextLimit); });
        },
        stop, state);
}

// The copies, each file's end shown: the status names the file just handled; a skipped file
// leaves the previous one on show.
CopiesDone CopyShowing(ExtractionJob& job, const std::stop_token& stop, const RunExtras& extras,
                       WorkerState& state, const FoundFileList& found, const CopyPlan& plan,
                       const std::string& summary, RunProgress& progress) {
    TellCopiesStarting(found, plan, extras);
    const CopyHooks hooks{extras.fileHandled,
                          [&](std::size_t, const std::string& lastTaken) {
                              progress.Advance();
                              std::string status = FormatCopyStatus(summary, lastTaken);
                              return Publish(job, stop, [&] {
                                  job.progress = progress.Percent();
                                  job.statusText = std::move(status);
                              });
                          },
                          extras.copyPlaced};
    return CopyAll(found, plan, hooks, stop, state);
}

}  // namespace

void ExtractionWorker(std::stop_token stop, ExtractionJob& job, const RunExtras& extras,
                      WorkerState& state) {
    RunSettingsTaken run;
    if (!Publish(job, stop, [&] {
            run = {job.sourceFolder, job.destinationFolder, job.extensionList, job.options};
            job.statusText = text::StatusSearching;
            job.progress = 4;
        })) {
        return;
    }
    const std::size_t inFlight =
        extras.jobs != 0 ? extras.jobs : CallsInFlight(os::DiskFactsOf(run.source));
    FoundFileList found = SearchShowing(job, stop, extras, state, run, inFlight);
    if (stop.stop_requested()) return;
    if (extras.foundFilesHook) extras.foundFilesHook(found);

    RunProgress progress(0);
    if (!Publish(job, stop, [&] {
            job.statusText = CalculatingStatus(job.statusText);
            progress = RunProgress(job.progress);
        })) {
        return;
    }
    const std::optional<Tally> tally = TallyFound(
        found, progress,
        [&](std::int32_t percent) { return Publish(job, stop, [&] { job.progress = percent; }); },
        stop);
    if (!tally) return;

    const ThresholdMode mode = ThresholdModeOf(run.options);
    const std::optional<std::int32_t> bound = ChooseBound(
        mode, found, *tally, [&](const SideHistogram& h, std::int32_t max, std::int32_t p) {
            return AskForBound(job, stop, h, max, p);
        });
    if (!bound || stop.stop_requested()) return;
    const std::string summary =
        FormatSummary({tally->count, tally->totalBytes, tally->duplicates, mode, *bound});
    if (!Publish(job, stop, [&] { job.statusText = summary; })) return;

    const CopiesDone copies = CopyShowing(
        job, stop, extras, state, found, PlanFor(run, *bound, extras, inFlight), summary, progress);
    if (copies.end == CopiesEnd::Stopped) return;
    if (copies.end == CopiesEnd::DestinationGone) {
        extras.destinationGone(run.destination);
    } else if (!Publish(job, stop, [&] {
                   job.progress = progress.Percent();
                   job.statusText =
                       extras.dryRun ? summary : FormatFinalText(summary, copies.saved);
               })) {
        return;
    }
    // The run's memory goes before the front end hears of the end.
    found = FoundFileList();
    if (Publish(job, stop, [&] { job.running = 0; }) && extras.runEnded) extras.runEnded();
}

}  // namespace tessel
