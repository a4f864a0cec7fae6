#include "job/run_monitor.h"

#include <mutex>
#include <optional>
#include <utility>

#include "files/code_page.h"
#include "job/run_report.h"
#include "job/texts.h"

namespace tessel {

RunMonitor::RunMonitor() : own_(std::make_unique<ExtractionJob>()), job_(*own_) {}

RunMonitor::RunMonitor(ExtractionJob& job) : job_(job) {}

RunMonitor::~RunMonitor() {
    Stop();
}

void RunMonitor::Start(RunSettings settings, RunExtras extras) {
    {
        // No worker runs yet; the lock only keeps the order plain for the sanitizers.
        std::scoped_lock hold(job_.lock);
        job_.options = settings.options;
        job_.sourceFolder = std::move(settings.sourceFolder);
        job_.destinationFolder = std::move(settings.destinationFolder);
        job_.extensionList = std::move(settings.extensionList);
        // What the window shows from the press on; an abort before the worker's first word
        // keeps it in the previous-run block.
        job_.statusText = text::StatusSearching;
        job_.progress = 0;
        job_.running = 1;
        job_.thresholdRequest.reset();
        job_.outOfMemory = false;
    }
    phase_ = Phase::Running;
    try {
        StartWorker(std::move(extras));
    } catch (...) {
        // No thread (std::system_error) or no memory for one: the system is out of memory.
        // The run ends before it began, with the text its worker would have written first.
        std::scoped_lock hold(job_.lock);
        job_.statusText = text::StatusSearching;
        job_.outOfMemory = true;
        job_.running = 0;
    }
}

JobTick RunMonitor::Tick() {
    JobTick tick;
    std::scoped_lock hold(job_.lock);
    tick.running = job_.running != 0;
    tick.progress = job_.progress;
    tick.statusText = job_.statusText;
    if (tick.running) {
        const std::optional<ThresholdRequest>& request = job_.thresholdRequest;
        if (request && !request->answer) {
            BoundQuestion question;
            question.serial = request->serial;
            if (request->histogram) question.histogram = *request->histogram;
            question.maxSide = request->maxSide;
            question.proposal = request->bound;
            tick.question = std::move(question);
        }
        return tick;
    }
    if (phase_ == Phase::Idle) return tick;

    tick.ended = true;
    tick.outOfMemory = job_.outOfMemory;
    if (phase_ == Phase::Running) {
        job_.statusText = FormatPreviousRun(job_.sourceFolder, job_.statusText);
        tick.previousRunBlock = job_.statusText;
    }
    // The run's texts go; the next run request brings its own.
    job_.sourceFolder = std::string();
    job_.destinationFolder = std::string();
    job_.extensionList = std::string();
    phase_ = Phase::Idle;
    return tick;
}

void RunMonitor::AnswerBound(std::uint64_t serial, std::int32_t bound) {
    {
        std::scoped_lock hold(job_.lock);
        std::optional<ThresholdRequest>& request = job_.thresholdRequest;
        if (!request || request->serial != serial || request->answer) return;
        request->answer = bound;
    }
    job_.answered.notify_all();
}

std::optional<std::string> RunMonitor::Abort() {
    if (phase_ != Phase::Running) return std::nullopt;
    // A run whose worker has just finished, before a tick saw it, is ended the same way:
    // the button said "Abort", so it must not close the program.
    StopWorker();
    std::scoped_lock hold(job_.lock);
    job_.statusText = FormatPreviousRun(job_.sourceFolder, job_.statusText);
    job_.running = 0;
    phase_ = Phase::Aborted;
    return job_.statusText;
}

void RunMonitor::Stop() {
    StopWorker();
    if (phase_ != Phase::Running) return;
    std::scoped_lock hold(job_.lock);
    job_.running = 0;
    phase_ = Phase::Aborted;
}

void RunMonitor::StartWorker(RunExtras extras) {
    auto state = std::make_shared<WorkerState>();
    state_ = state;
    worker_ = std::jthread(
        [&job = job_, extras = std::move(extras), state = std::move(state)](std::stop_token stop) {
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
                bool told = false;
                if (!stop.stop_requested()) {
                    std::scoped_lock hold(job.lock);
                    if (!stop.stop_requested()) {
                        job.thresholdRequest.reset();
                        job.outOfMemory = true;
                        job.running = 0;
                        told = true;
                    }
                }
                if (told && extras.runEnded) extras.runEnded();
            }
        });
}

void RunMonitor::StopWorker() {
    if (!worker_.joinable()) return;
    {
        std::scoped_lock hold(job_.lock);
        worker_.request_stop();
        // A pending request names the stopped worker's histogram, and the worker touches the
        // record no more: take it back now.
        job_.thresholdRequest.reset();
    }
    job_.answered.notify_all();
    const std::shared_ptr<WorkerState> state = std::move(state_);
    bool ended = false;
    {
        std::unique_lock hold(state->lock);
        state->changed.wait(hold, [&] { return state->ended || state->inCall > 0; });
        ended = state->ended;
    }
    if (ended) {
        worker_.join();
    } else {
        CancelPendingCall(worker_);
        stopped_.push_back({std::move(worker_), state});
    }
    // Those that have ended meanwhile are joined now: nothing of theirs runs any more.
    std::erase_if(stopped_, [](StoppedWorker& stopped) {
        std::scoped_lock hold(stopped.state->lock);
        return stopped.state->ended;
    });
}

bool RunMonitor::WaitForWorkers(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    const auto endOf = [&](WorkerState& state) {
        std::unique_lock hold(state.lock);
        return state.changed.wait_until(hold, end, [&] { return state.ended; });
    };
    if (state_) {
        if (!endOf(*state_)) return false;
        worker_.join();
        state_.reset();
    }
    for (StoppedWorker& stopped : stopped_) {
        if (!endOf(*stopped.state)) return false;
    }
    stopped_.clear();  // each joins a thread that has ended
    return true;
}

std::vector<std::string> RunMonitor::CallsWaitedFor() {
    std::vector<std::string> calls;
    for (StoppedWorker& stopped : stopped_) {
        std::scoped_lock hold(stopped.state->lock);
        if (!stopped.state->ended && stopped.state->inCall > 0) {
            calls.push_back(stopped.state->current);
        }
    }
    return calls;
}

}  // namespace tessel
