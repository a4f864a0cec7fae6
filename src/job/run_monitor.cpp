#include "job/run_monitor.h"

#include <mutex>
#include <utility>

#include "files/code_page.h"
#include "job/run_report.h"
#include "job/texts.h"

namespace tessel {

void RunMonitor::Start(RunSettings settings, RunExtras extras) {
    {
        // No worker runs yet; the lock only keeps the order plain for the sanitizers.
        std::scoped_lock hold(job_.lock);
        job_.options = (job_.options & ThresholdPending) | settings.options;
        job_.sourceFolder = std::move(settings.sourceFolder);
        job_.destinationFolder = std::move(settings.destinationFolder);
        job_.extensionList = std::move(settings.extensionList);
        // What the window shows from the press on; an abort before the worker's first word
        // keeps it in the previous-run block.
        job_.statusText = text::StatusSearching;
        job_.progress = 0;
        job_.running = 1;
        job_.thresholdRequested = 0;
        job_.outOfMemory = false;
    }
    phase_ = Phase::Running;
    try {
        StartWorker(job_, std::move(extras));
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
        const ThresholdRequest* request = job_.thresholdRequest;
        if (job_.thresholdRequested == 1 && (job_.options & ThresholdPending) && request) {
            BoundQuestion question;
            question.serial = job_.requestSerial;
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
        if (job_.thresholdRequested != 1 || job_.requestSerial != serial ||
            job_.thresholdRequest == nullptr) {
            return;
        }
        if (job_.options & ThresholdPending) job_.thresholdRequest->bound = bound;
        job_.thresholdRequested = 0;
    }
    job_.answered.notify_all();
}

std::optional<std::string> RunMonitor::Abort() {
    if (phase_ != Phase::Running) return std::nullopt;
    // A run whose worker has just finished, before a tick saw it, is ended the same way:
    // the button said "Abort", so it must not close the program.
    StopWorker(job_);
    std::scoped_lock hold(job_.lock);
    job_.statusText = FormatPreviousRun(job_.sourceFolder, job_.statusText);
    job_.running = 0;
    phase_ = Phase::Aborted;
    return job_.statusText;
}

void RunMonitor::Stop() {
    StopWorker(job_);
    if (phase_ != Phase::Running) return;
    std::scoped_lock hold(job_.lock);
    job_.running = 0;
    phase_ = Phase::Aborted;
}

}  // namespace tessel
