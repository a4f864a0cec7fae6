// job/worker.cpp: one run, from the settings in the record to its final text, on its own
// thread. Everything the run allocates (the found-file list, the histogram, the request) is
// local to it and goes away with it. The worker writes into the record only through
// Publish(), which looks at the stop under the lock: StopWorker requests the stop under the
// same lock, so once it has, the front end's own text (the abort's restore) stays as it is.
#include "job/worker.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/code_page.h"
#include "files/content_index.h"
#include "files/copy_planner.h"
#include "files/folder_scan.h"
#include "files/os/file_system.h"
#include "files/path_tests.h"
#include "files/same_bytes.h"
#include "files/texts.h"
#include "job/run_report.h"
#include "job/status_text.h"
#include "job/texts.h"
#include "threshold/auto_bound.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

// What the run takes from the record at its start; later changes to the record do not
// reach it.
struct RunSettings {
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

// Marks the time the worker spends inside the file system, where a stop cannot reach it
// until the call returns: a front end that stops the worker meanwhile does not wait for it.
class InCall {
public:
    InCall(WorkerState& state, const std::string& about) : state_(state) {
        std::scoped_lock hold(state_.lock);
        ++state_.inCall;
        state_.current = about;
        state_.changed.notify_all();
    }
    ~InCall() {
        std::scoped_lock hold(state_.lock);
        --state_.inCall;
        state_.changed.notify_all();
    }
    InCall(const InCall&) = delete;
    InCall& operator=(const InCall&) = delete;

    // What the call is about now, as the scan goes from folder to folder.
    void About(const std::string& about) {
        std::scoped_lock hold(state_.lock);
        state_.current = about;
    }

private:
    WorkerState& state_;
};

// Takes a posted bound request back out of the record. Called with the lock held.
void WithdrawRequest(ExtractionJob& job) {
    job.thresholdRequest = nullptr;
    job.thresholdRequested = 0;
    job.options &= ~static_cast<std::uint32_t>(ThresholdPending);
}

// The manual-bound handshake: post the request, then look once a second until the other
// side has answered. The answer (or a stop) also wakes the wait through `answered`, so
// neither has to wait out the second. nullopt when stopped; the request then dies with this
// frame and StopWorker clears the record's pointer to it. Whatever way this frame is left,
// an exception included, the request lives on it, so the record never keeps a pointer to it.
std::optional<std::int32_t> AskForBound(ExtractionJob& job, const std::stop_token& stop,
                                        const SideHistogram& histogram, std::int32_t maxSide,
                                        std::int32_t proposal) {
    ThresholdRequest request{&histogram, maxSide, proposal};
    std::unique_lock hold(job.lock);
    if (stop.stop_requested()) return std::nullopt;
    struct Posted {
        ExtractionJob& job;
        std::unique_lock<std::mutex>& hold;
        const std::stop_token& stop;
        ~Posted() {
            if (!hold.owns_lock()) hold.lock();
            // StopWorker took a stopped request back itself; what the record holds now may
            // be a later run's.
            if (!stop.stop_requested()) WithdrawRequest(job);
        }
    } posted{job, hold, stop};
    ++job.requestSerial;
    job.thresholdRequest = &request;
    job.thresholdRequested = 1;
    job.options |= ThresholdPending;
    for (;;) {
        job.answered.wait_for(hold, stop, 1000ms, [&] { return job.thresholdRequested != 1; });
        if (stop.stop_requested()) return std::nullopt;
        if (job.thresholdRequested != 1) break;
    }
    return request.bound;
}

// Whether the plain name in `destination` holds a file of `size`: the rule that settles a
// numbered copy before anything is read.
bool PlainNameHoldsSize(const std::string& source, const std::string& destination,
                        std::uint64_t size, std::string& plain) {
    plain = destination + os::PathSeparator + std::string(NameOfPath(source));
    os::DirEntry taken;
    return QueryEntry(plain, taken) && !IsFolderEntry(taken.attributes) && taken.size == size;
}

// One found file above the bound: the copy, and what the run asks of it after. nullopt when
// the stop came first, or removed the copy.
std::optional<FileAccount> CopyOne(const FoundFileList& found, std::size_t index,
                                   const std::string& destination, DuplicateMode mode,
                                   const RunExtras& extras, ContentIndex* contents,
                                   const std::stop_token& stop) {
    const std::string& source = found.paths[index];
    const std::uint64_t size = found.sizes[index];
    FileAccount account;
    account.index = index;
    if (contents) {
        // The plain-name rule reads nothing; it goes first, or a re-run would read every file.
        std::string plain;
        if (mode == DuplicateMode::Numbered &&
            PlainNameHoldsSize(source, destination, size, plain)) {
            account.fate = FileFate::SameNameAndSize;
            account.destination = std::move(plain);
            return account;
        }
        if (std::optional<std::string> held = contents->Find(source, size, stop)) {
            account.fate = FileFate::SameContent;
            account.destination = std::move(*held);
            return account;
        }
        if (stop.stop_requested()) return std::nullopt;
    }
    CopyReport report = CopyFoundFile(source, destination, mode, stop, size);
    account.destination = std::move(report.path);
    switch (report.outcome) {
        case CopyOutcome::Saved: account.fate = FileFate::Saved; break;
        case CopyOutcome::SameNameAndSize: account.fate = FileFate::SameNameAndSize; return account;
        case CopyOutcome::SameContent: account.fate = FileFate::SameContent; return account;
        case CopyOutcome::Refused:
        case CopyOutcome::Failed:
            account.fate = FileFate::Failed;
            account.reason = std::move(report.reason);
            return account;
        case CopyOutcome::Stopped: return std::nullopt;
    }
    const std::string& copy = account.destination;
    if (extras.copyPlaced) extras.copyPlaced(copy);
    if (extras.verify) {
        // The copy is whole either way; one the stop left unread stays, and so does its source.
        switch (CompareBytes(source, copy, size, stop)) {
            case Comparison::Same: break;
            case Comparison::Stopped:
                account.reason = "not verified: the run was stopped";
                return account;
            case Comparison::Different:
                account.fate = FileFate::Failed;
                account.reason = "copy differs from source";
                if (!os::RemoveFile(copy)) {
                    account.reason += "; it could not be removed: ";
                    account.reason += os::FailureText(os::LastFailure());
                }
                return account;
        }
    }
    if (contents) contents->Add(copy, size, source);
    if (extras.move) {
        if (stop.stop_requested()) {
            account.reason = "the source stays: the run was stopped";
        } else if (!os::RemoveFile(source)) {
            account.reason = "the source stays: " + os::FailureText(os::LastFailure());
        }
    }
    return account;
}

}  // namespace

void ExtractionWorker(std::stop_token stop, ExtractionJob& job, const RunExtras& extras,
                      WorkerState& state) {
    RunSettings run;
    if (!Publish(job, stop, [&] {
            run.source = job.sourceFolder;
            run.destination = job.destinationFolder;
            run.extensionList = job.extensionList;
            run.options = job.options;
            job.statusText = text::StatusSearching;
            job.progress = 4;
        })) {
        return;
    }

    // Search. The folder trail keeps its newest 1023 bytes, counted in TextCodePage as the
    // window always counted them; the paths in it are whole.
    FoundFileList found;
    {
        InCall listing(state, run.source);
        ScanHooks hooks;
        hooks.stop = stop;
        std::size_t folders = 0;
        hooks.folderEntered = [&](const std::string& folder) {
            listing.About(folder);
            if (extras.searchProgress) extras.searchProgress(++folders, found.Count());
            std::string line = "\r\n";
            line += folder;
            line += os::PathSeparator;
            Publish(job, stop, [&] { AppendKeepingTail(job.statusText, line, StatusTextLimit); });
        };
        ScanFolder(run.source, run.extensionList, found, hooks);
    }
    if (stop.stop_requested()) return;
    const std::size_t count = found.Count();
    if (extras.foundFilesHook) extras.foundFilesHook(found);

    // Totals and duplicates.
    RunProgress progress(0);
    if (!Publish(job, stop, [&] {
            job.statusText = CalculatingStatus(job.statusText);
            progress = RunProgress(job.progress);
        })) {
        return;
    }
    std::int64_t sumSides = 0;
    std::int32_t maxSide = 0;
    for (const std::int32_t side : found.squareSides) {
        sumSides += side;
        maxSide = std::max(maxSide, side);
    }
    progress.SetFileCount(count);
    DuplicateNameCounter names(count);
    std::uint64_t duplicates = 0;
    for (const std::string& path : found.paths) {
        if (stop.stop_requested()) return;
        if (names.Add(path)) ++duplicates;
        const std::int32_t shown = progress.Percent();
        progress.Advance();
        // Storing the same percentage again would show nothing new.
        if (progress.Percent() != shown &&
            !Publish(job, stop, [&] { job.progress = progress.Percent(); })) {
            return;
        }
    }

    // The bound.
    const ThresholdMode mode = ThresholdModeOf(run.options);
    std::int32_t bound = 0;
    SideHistogram histogram;
    if (mode == ThresholdMode::Auto || mode == ThresholdMode::Manual) {
        histogram.assign(static_cast<std::size_t>(maxSide) + 1, 0);
        BuildSideHistogram(histogram, found.squareSides, maxSide);
        bound = ComputeAutoBound(histogram, maxSide, MeanSide(sumSides, count));
    }
    if (mode == ThresholdMode::Manual) {
        const auto answer = AskForBound(job, stop, histogram, maxSide, bound);
        if (!answer) return;
        bound = *answer;
    }
    if (stop.stop_requested()) return;

    const std::string summary = FormatSummary({count, found.totalBytes, duplicates, mode, bound});
    if (!Publish(job, stop, [&] { job.statusText = summary; })) return;

    // Copies. The status names the file just handled; a skipped file leaves the previous
    // one on show.
    std::uint64_t saved = 0;
    const std::optional<DuplicateMode> duplicateMode = DuplicateModeOf(run.options);
    const auto tell = [&](std::size_t index, FileFate fate, std::string reason = {}) {
        if (extras.fileHandled) extras.fileHandled({index, fate, {}, std::move(reason)});
    };
    if (extras.dryRun && extras.fileHandled) {
        for (std::size_t i = 0; i < count; ++i) {
            if (stop.stop_requested()) return;
            if (found.squareSides[i] > bound) {
                tell(i, FileFate::NotReached, "dry run");
            } else {
                tell(i, FileFate::BelowBound, found.measured[i] ? "" : "size unknown");
            }
        }
    }
    if (!extras.dryRun) {
        if (extras.copiesStarting) {
            std::size_t files = 0;
            std::uint64_t bytes = 0;
            for (std::size_t i = 0; i < count; ++i) {
                if (found.squareSides[i] <= bound) continue;
                ++files;
                bytes += found.sizes[i];
            }
            extras.copiesStarting(files, bytes);
        }
        std::optional<ContentIndex> contents;
        if (extras.sameContent && duplicateMode) {
            InCall listing(state, run.destination);
            contents.emplace();
            contents->AddFolder(run.destination);
            contents->AddFolder(run.destination + os::PathSeparator + text::DuplicatesFolder);
        }
        std::string lastTaken;
        for (std::size_t i = 0; i < count; ++i) {
            if (stop.stop_requested()) return;
            if (found.squareSides[i] > bound) {
                lastTaken = found.paths[i];
                // Without a duplicate mode nothing is copied, as the planner does for any
                // other word.
                if (duplicateMode) {
                    std::optional<FileAccount> account;
                    {
                        InCall copying(state, found.paths[i]);
                        account = CopyOne(found, i, run.destination, *duplicateMode, extras,
                                          contents ? &*contents : nullptr, stop);
                    }
                    if (!account) return;
                    if (account->fate == FileFate::Saved) ++saved;
                    if (extras.fileHandled) extras.fileHandled(*account);
                } else {
                    tell(i, FileFate::Failed, "the run has no rule for taken names");
                }
            } else {
                tell(i, FileFate::BelowBound, found.measured[i] ? "" : "size unknown");
            }
            progress.Advance();
            std::string status = FormatCopyStatus(summary, lastTaken);
            if (!Publish(job, stop, [&] {
                    job.progress = progress.Percent();
                    job.statusText = std::move(status);
                })) {
                return;
            }
        }
    }

    std::string finalText = extras.dryRun ? summary : FormatFinalText(summary, saved);
    if (!Publish(job, stop, [&] {
            job.progress = progress.Percent();
            job.statusText = std::move(finalText);
        })) {
        return;
    }
    // The run's memory goes before the front end hears of the end.
    found = FoundFileList();
    histogram = SideHistogram();
    if (Publish(job, stop, [&] { job.running = 0; }) && extras.runEnded) extras.runEnded();
}

void StartWorker(ExtractionJob& job, RunExtras extras) {
    auto state = std::make_shared<WorkerState>();
    job.workerState = state;
    job.workerThread = std::jthread(
        [&job, extras = std::move(extras), state = std::move(state)](std::stop_token stop) {
            // However the body is left, the front end hears of the end.
            struct Ended {
                WorkerState& state;
                ~Ended() {
                    std::scoped_lock hold(state.lock);
                    state.ended = true;
                    state.changed.notify_all();
                }
            } ended{*state};
            try {
                ExtractionWorker(stop, job, extras, *state);
            } catch (...) {
                // Out of memory is the only way here (std::bad_alloc, or std::length_error for a
                // text that cannot grow). End the run rather than the process, and say why: the
                // front end must not take the text as it stood for a finished run.
                const bool told = Publish(job, stop, [&] {
                    WithdrawRequest(job);
                    job.outOfMemory = true;
                    job.running = 0;
                });
                if (told && extras.runEnded) extras.runEnded();
            }
        });
}

void StopWorker(ExtractionJob& job) {
    if (!job.workerThread.joinable()) return;
    {
        std::scoped_lock hold(job.lock);
        job.workerThread.request_stop();
        // A pending request lives on the stopped worker's stack, and the worker touches the
        // record no more: take it back now.
        WithdrawRequest(job);
    }
    job.answered.notify_all();
    const std::shared_ptr<WorkerState> state = std::move(job.workerState);
    bool ended = false;
    {
        std::unique_lock hold(state->lock);
        state->changed.wait(hold, [&] { return state->ended || state->inCall > 0; });
        ended = state->ended;
    }
    if (ended) {
        job.workerThread.join();
    } else {
        CancelPendingCall(job.workerThread);
        job.stoppedWorkers.push_back({std::move(job.workerThread), state});
    }
    // Those that have ended meanwhile are joined now: nothing of theirs runs any more.
    std::erase_if(job.stoppedWorkers, [](StoppedWorker& stopped) {
        std::scoped_lock hold(stopped.state->lock);
        return stopped.state->ended;
    });
}

bool WaitForStoppedWorkers(ExtractionJob& job, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (StoppedWorker& stopped : job.stoppedWorkers) {
        std::unique_lock hold(stopped.state->lock);
        if (!stopped.state->changed.wait_until(hold, end, [&] { return stopped.state->ended; })) {
            return false;
        }
    }
    job.stoppedWorkers.clear();  // each joins a thread that has ended
    return true;
}

std::vector<std::string> StoppedWorkerCalls(ExtractionJob& job) {
    std::vector<std::string> calls;
    for (StoppedWorker& stopped : job.stoppedWorkers) {
        std::scoped_lock hold(stopped.state->lock);
        if (!stopped.state->ended && stopped.state->inCall > 0) {
            calls.push_back(stopped.state->current);
        }
    }
    return calls;
}

}  // namespace tessel
