// A stop while the worker is inside a call that the file system does not return, as on a
// disk that stopped answering: the front end's stop returns at once, the stopped worker
// writes nothing more into the record (not into a later run's either) and leaves nothing
// behind when the call comes back, and a new run may start and finish meanwhile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/code_page.h"
#include "job/run_monitor.h"
#include "job/run_report.h"
#include "job/run_request.h"
#include "job/texts.h"
#include "job/worker.h"
#include "run_settings.h"
#include "support/io_gate.h"
#include "support/test_support.h"
#include "support/tick_until.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;
using test::IoGate;

std::string Status(ExtractionJob& job) {
    std::scoped_lock hold(job.lock);
    return job.statusText;
}

// Starts a run and aborts it once `stuck` holds its worker inside a call: whether both came.
bool AbortedWhileHeld(RunMonitor& monitor, IoGate& stuck, const RunSettings& settings) {
    monitor.Start(settings);
    return stuck.WaitUntilHeld() && monitor.Abort().has_value();
}

TEST(StoppedWorker, TheStopDoesNotWaitForACallThatDoesNotReturn) {
    // The worker is held inside each kind of call: the listing's measurement of a file, the
    // first read of a copy, and a read in the middle of one.
    const struct {
        const char* what;
        os::IoStep step;
        std::uint64_t from;
    } holds[] = {
        {"measuring", os::IoStep::Measure, 0},
        {"starting a copy", os::IoStep::CopyChunk, 0},
        {"in the middle of a copy", os::IoStep::CopyChunk, 2u << 20},
    };
    for (const auto& h : holds) {
        SCOPED_TRACE(h.what);
        TempFolder source, destination;
        test::WriteSized(source / "big.bmp", 5u << 20, 'b');
        ExtractionJob job;
        RunMonitor monitor(job);
        IoGate stuck(h.step, "big.bmp", h.from);
        // A bound where the hold is in a header's read: without one no header is read.
        monitor.Start(
            Settings(source.Path(), destination.Path(),
                     h.step == os::IoStep::Measure ? ThresholdMode::Auto : ThresholdMode::None));
        ASSERT_TRUE(stuck.WaitUntilHeld());
        const std::string shown = Status(job);

        const std::optional<std::string> block = monitor.Abort();
        ASSERT_TRUE(block);
        EXPECT_TRUE(stuck.Held()) << "the abort waited for the call";
        EXPECT_FALSE(monitor.WaitForWorkers(0ms));  // retired, still in its call
        ASSERT_TRUE(job.lock.try_lock());
        job.lock.unlock();
        ASSERT_EQ(monitor.CallsWaitedFor().size(), 1u);
        EXPECT_EQ(monitor.CallsWaitedFor()[0],
                  h.step == os::IoStep::Measure ? source.Path() : source / "big.bmp");
        EXPECT_EQ(*block, FormatPreviousRun(source.Path(), shown));

        stuck.Release();
        ASSERT_TRUE(monitor.WaitForWorkers(30s));
        EXPECT_TRUE(monitor.CallsWaitedFor().empty());
        EXPECT_EQ(Status(job), *block);  // the worker wrote nothing after the stop
        EXPECT_THAT(test::NamesIn(destination.Path()), IsEmpty());
    }
}

// Holds every call of one step of the file system (at `from` or past it) until released: the
// calls several threads have in flight, all held at once.
class EveryCallHeld {
public:
    EveryCallHeld(os::IoStep step, std::uint64_t from) {
        os::SetIoHold([this, step, from](os::IoStep at, std::string_view, std::uint64_t offset) {
            if (at != step || offset < from) return;
            std::unique_lock hold(lock_);
            ++held_;
            changed_.notify_all();
            changed_.wait(hold, [&] { return released_; });
        });
    }
    ~EveryCallHeld() {
        Release();
        os::SetIoHold({});
    }
    bool WaitUntilHeld(int count) {
        std::unique_lock hold(lock_);
        return changed_.wait_for(hold, 30s, [&] { return held_ >= count; });
    }
    void Release() {
        std::scoped_lock hold(lock_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    int held_ = 0;
    bool released_ = false;
};

TEST(StoppedWorker, TheStopDoesNotWaitForSeveralCallsInFlight) {
    // Four calls in flight, each held: header reads in the search, then copies' data.
    const struct {
        const char* what;
        os::IoStep step;
        std::uint64_t from;
        ThresholdMode threshold;
    } holds[] = {
        {"reading headers", os::IoStep::Measure, 0, ThresholdMode::Auto},
        {"copying", os::IoStep::CopyChunk, 1u << 20, ThresholdMode::None},
    };
    for (const auto& h : holds) {
        SCOPED_TRACE(h.what);
        TempFolder source, destination;
        for (int i = 0; i < 8; ++i) {
            test::WriteSized(source / ("f" + std::to_string(i) + ".bmp"), 3u << 20,
                             static_cast<std::uint8_t>(i));
        }
        ExtractionJob job;
        RunMonitor monitor(job);
        EveryCallHeld stuck(h.step, h.from);
        RunExtras extras;
        extras.jobs = 4;
        monitor.Start(Settings(source.Path(), destination.Path(), h.threshold), extras);
        ASSERT_TRUE(stuck.WaitUntilHeld(2)) << "fewer than two calls were ever in flight";
        const std::optional<std::string> block = monitor.Abort();
        ASSERT_TRUE(block);
        EXPECT_FALSE(monitor.WaitForWorkers(0ms));  // retired, its calls still held
        stuck.Release();
        ASSERT_TRUE(monitor.WaitForWorkers(30s));
        EXPECT_EQ(Status(job), *block);  // the worker wrote nothing after the stop
        // No copy took its name after the stop, and nothing written ahead is left.
        for (const std::string& name : test::NamesIn(destination.Path())) {
            SCOPED_TRACE(name);
            EXPECT_EQ(test::ReadBytes(destination / name), test::ReadBytes(source / name));
        }
        EXPECT_LT(test::NamesIn(destination.Path()).size(), 8u);
    }
}

TEST(StoppedWorker, ANewRunStartsAndEndsWhileTheOldOneIsHeld) {
    TempFolder source, first, second;
    test::WriteSized(source / "a.bmp", 3u << 20, 'a');
    test::WriteSized(source / "b/b.bmp", 1000, 'b');
    ExtractionJob job;
    RunMonitor monitor(job);
    IoGate stuck(os::IoStep::CopyChunk, "a.bmp", 1u << 20);
    ASSERT_TRUE(AbortedWhileHeld(monitor, stuck, Settings(source.Path(), first.Path())));

    // Only the first call is held: the new run copies a.bmp itself, into its own folder,
    // and its record is its own from start to end.
    monitor.Start(Settings(source.Path(), second.Path()));
    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.ended);
    ASSERT_TRUE(last.previousRunBlock);
    EXPECT_NE(last.statusText.find(Native("実際に保存されたファイル数：2個")), std::string::npos)
        << last.statusText;
    EXPECT_THAT(test::NamesIn(second.Path()), UnorderedElementsAre("a.bmp", "b.bmp"));
    EXPECT_TRUE(stuck.Held());

    stuck.Release();
    ASSERT_TRUE(monitor.WaitForWorkers(30s));
    EXPECT_EQ(Status(job), *last.previousRunBlock);
    EXPECT_EQ(monitor.Tick().progress, last.progress);
    // The first run keeps what it copied before its stop (b.bmp, if the listing gave it
    // first), but nothing of a.bmp.
    for (const std::string& name : test::NamesIn(first.Path())) {
        SCOPED_TRACE(name);
        EXPECT_EQ(name, "b.bmp");
        EXPECT_EQ(test::ReadBytes(first / name), std::vector<std::uint8_t>(1000, 'b'));
    }
    EXPECT_EQ(test::ReadBytes(second / "a.bmp"), std::vector<std::uint8_t>(3u << 20, 'a'));
}

TEST(StoppedWorker, ACopyCompleteAfterTheStopIsNotPutInPlace) {
    // The stop comes while the last chunk is read: the data is all there when the call
    // returns, but the run was shown stopped before this file, so the file is not kept.
    TempFolder source, destination;
    test::WriteSized(source / "last.bmp", (2u << 20) + 10, 'l');
    ExtractionJob job;
    RunMonitor monitor(job);
    IoGate stuck(os::IoStep::CopyChunk, "last.bmp", 2u << 20);
    ASSERT_TRUE(AbortedWhileHeld(monitor, stuck, Settings(source.Path(), destination.Path())));
    stuck.Release();
    ASSERT_TRUE(monitor.WaitForWorkers(30s));
    EXPECT_THAT(test::NamesIn(destination.Path()), IsEmpty());
}

TEST(StoppedWorker, TheRecordMayGoWhileAStoppedWorkerIsHeld) {
    // The window's end: the record's owner stops the run and goes on; the record, and the
    // worker with it, are gone once the call returns.
    TempFolder source, destination;
    test::WriteSized(source / "a.bmp", 3u << 20, 'a');
    IoGate stuck(os::IoStep::CopyChunk, "a.bmp", 1u << 20);
    {
        ExtractionJob job;
        RunMonitor monitor(job);
        monitor.Start(Settings(source.Path(), destination.Path()));
        ASSERT_TRUE(stuck.WaitUntilHeld());
        monitor.Stop();
        EXPECT_TRUE(stuck.Held());
        EXPECT_FALSE(monitor.WaitForWorkers(0ms));
        stuck.Release();  // what the disk does at last; the record's end waits for it
    }
    EXPECT_THAT(test::NamesIn(destination.Path()), IsEmpty());
}

TEST(StoppedWorker, AStopOutsideTheFileSystemStillWaitsForTheEnd) {
    // Waiting for a bound the worker is in no call: the stop waits for it as before, and no
    // worker is left behind.
    TempFolder source, destination;
    test::WriteBytes(source / "a.png", test::TinyPng(10, 10));
    ExtractionJob job;
    RunMonitor monitor(job);
    RunSettings settings = Settings(source.Path(), destination.Path());
    settings.options = OptionsWord(DuplicateMode::Numbered, ThresholdMode::Manual);
    monitor.Start(settings);
    ASSERT_TRUE(
        test::TickUntil(monitor, [](const JobTick& t) { return t.question.has_value(); }).question);
    ASSERT_TRUE(monitor.Abort());
    EXPECT_TRUE(monitor.WaitForWorkers(0ms));
    EXPECT_TRUE(monitor.CallsWaitedFor().empty());
}

}  // namespace
}  // namespace tessel
