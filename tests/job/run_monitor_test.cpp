// The front ends' side of the record on real runs: what a tick shows, the end of a run, the
// abort that restores the form once, and answers that arrive after their request is gone.
#include "job/run_monitor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <new>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "job/run_request.h"
#include "job/texts.h"
#include "run_settings.h"
#include "support/io_gate.h"
#include "support/test_support.h"
#include "support/tick_until.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

std::string Block(const std::string& source, const std::string& lastStatus) {
    return Native("直前の処理") + "\r\n" + std::string(40, '-') + "\r\n" + source + "\r\n" +
           lastStatus;
}

// A fresh tree and a monitor over its own record, as a front end holds them.
class RunMonitorTest : public testing::Test {
protected:
    // src/<name> of `side` x `side` pixels, and an empty dst/.
    void WriteImages(std::initializer_list<std::pair<const char*, std::uint32_t>> images) {
        for (const auto& [name, side] : images)
            test::WriteBytes(temp / (std::string("src/") + name), TinyPng(side, side));
        test::MakeFolders(temp / "dst");
    }
    void Start(ThresholdMode threshold, RunExtras extras = {}) {
        monitor.Start(Settings(temp / "src", temp / "dst", threshold), std::move(extras));
    }

    TempFolder temp;
    ExtractionJob job;
    RunMonitor monitor{job};
};

TEST_F(RunMonitorTest, TheOneTickThatSeesTheEndGetsThePreviousRunBlock) {
    WriteImages({{"a.png", 30}});
    EXPECT_FALSE(monitor.RunUnderWay());
    Start(ThresholdMode::None);
    EXPECT_TRUE(monitor.RunUnderWay());

    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.ended);
    EXPECT_FALSE(last.running);
    EXPECT_EQ(last.progress, 100);
    EXPECT_THAT(last.statusText, StartsWith(Native("抽出ファイルが1個見つかりました。")));
    EXPECT_TRUE(last.statusText.ends_with(Native("抽出を終了しました。")));
    ASSERT_TRUE(last.previousRunBlock);
    EXPECT_EQ(*last.previousRunBlock, Block(temp / "src", last.statusText));
    EXPECT_FALSE(monitor.RunUnderWay());

    // The end is seen once; the block stays on show.
    const JobTick after = monitor.Tick();
    EXPECT_FALSE(after.ended);
    EXPECT_FALSE(after.previousRunBlock);
    EXPECT_EQ(after.statusText, *last.previousRunBlock);
}

TEST_F(RunMonitorTest, AWorkerOutOfMemoryEndsTheRunAndSaysSo) {
    // The found-file hook stands for the front end's own list (the command's --list), the
    // allocation that fails when a huge tree is found. In the manual mode no request may be
    // left behind, and the next run starts clean.
    WriteImages({{"a.png", 30}});
    RunExtras extras;
    extras.foundFilesHook = [](const FoundFileList&) { throw std::bad_alloc(); };
    Start(ThresholdMode::Manual, extras);

    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.ended);
    EXPECT_TRUE(last.outOfMemory);
    EXPECT_FALSE(last.question);
    EXPECT_THAT(last.statusText, StartsWith(text::StatusSearching));  // as it stood
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
    {
        std::scoped_lock hold(job.lock);
        EXPECT_EQ(job.running, 0);
        EXPECT_FALSE(job.thresholdRequest);
    }

    Start(ThresholdMode::None);
    const JobTick next = TickToTheEnd(monitor);
    EXPECT_FALSE(next.outOfMemory);
    EXPECT_TRUE(next.statusText.ends_with(Native("抽出を終了しました。")));
}

TEST_F(RunMonitorTest, TheBlockIsCutTo1023Bytes) {
    // A source path near the window's limit and a long final text.
    const std::string deep = temp / (std::string(100, 's') + "/" + std::string(100, 't'));
    test::MakeFolders(deep);
    monitor.Start(Settings(deep, temp.Path(), ThresholdMode::None));
    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.previousRunBlock);
    EXPECT_EQ(*last.previousRunBlock, Block(deep, last.statusText).substr(0, StatusTextLimit));
}

TEST_F(RunMonitorTest, AbortRestoresOnceAndTheWorkerWritesNothingMore) {
    // Many small files; the worker is held inside the copy of the one in the middle of the
    // search's order, so the abort lands among the copies on every machine.
    test::WriteSpreadFiles(temp / "src", 300, 7, 4096, ".bmp");
    test::MakeFolders(temp / "dst");
    test::IoGate gate(os::IoStep::CopyChunk, "");  // aimed once the order is known
    std::vector<std::string> found;
    RunExtras extras;
    extras.jobs = 1;  // one copy after the other: those before the held one are in place
    extras.foundFilesHook = [&](const FoundFileList& list) {
        found = list.paths;
        gate.AimAt(NameOf(found[150]));
    };
    Start(ThresholdMode::None, std::move(extras));
    ASSERT_TRUE(gate.WaitUntilHeld()) << "the copies never reached the 151st file";
    // What the form shows while the worker is held: the 150th file was the last copied.
    const JobTick held = monitor.Tick();
    ASSERT_TRUE(held.running);
    EXPECT_NE(held.statusText.find(found[149]), std::string::npos) << held.statusText;

    gate.ReleaseOnStop(monitor.WorkerStop());
    const std::optional<std::string> block = monitor.Abort();
    ASSERT_TRUE(block);
    EXPECT_EQ(*block, Block(temp / "src", held.statusText).substr(0, StatusTextLimit));
    EXPECT_FALSE(monitor.RunUnderWay());

    // The abort did not wait for the held copy, but the stopped worker writes nothing into
    // the record from the stop on: one tick sees all that any later one could, also once
    // the worker has left its copy.
    ASSERT_TRUE(monitor.WaitForWorkers(30s));
    const JobTick next = monitor.Tick();
    EXPECT_TRUE(next.ended);
    EXPECT_FALSE(next.running);
    EXPECT_FALSE(next.previousRunBlock);  // already shown by the abort
    EXPECT_EQ(next.statusText, *block);   // nothing written after the stop
    EXPECT_FALSE(monitor.Tick().ended);
    EXPECT_EQ(monitor.Tick().statusText, *block);

    // The files before the held one, each whole; neither it nor any after it.
    std::vector<std::string> copied;
    for (std::size_t i = 0; i < 150; ++i) copied.push_back(NameOf(found[i]));
    EXPECT_THAT(test::NamesIn(temp / "dst"), UnorderedElementsAreArray(copied));
    for (std::size_t i = 0; i < 150; ++i) {
        SCOPED_TRACE(found[i]);
        EXPECT_EQ(test::ReadBytes(temp / ("dst/" + copied[i])), test::ReadBytes(found[i]));
    }
    // A second press, with the form idle again, is the close: nothing to abort.
    EXPECT_FALSE(monitor.Abort());
}

TEST_F(RunMonitorTest, AbortBeforeTheWorkersFirstWordKeepsWhatTheLogShowed) {
    test::MakeFolders(temp / "src");
    // An empty search ends at once, so the worker may well be past it before the press. The
    // hook holds it there, before the text changes again, until the abort has requested its
    // stop: from then on the worker writes nothing.
    std::promise<std::stop_token> handed;
    RunExtras extras;
    extras.foundFilesHook = [token = handed.get_future().share()](const FoundFileList&) {
        std::mutex lock;
        std::condition_variable_any never;
        std::unique_lock hold(lock);
        never.wait(hold, token.get(), [] { return false; });  // returns once stopped
    };
    monitor.Start(Settings(temp / "src", temp.Path(), ThresholdMode::None), std::move(extras));
    handed.set_value(monitor.WorkerStop());
    const std::optional<std::string> block = monitor.Abort();
    ASSERT_TRUE(block);
    EXPECT_THAT(*block, StartsWith(Block(temp / "src", text::StatusSearching)));
}

TEST_F(RunMonitorTest, ANewRunMayStartBeforeATickEndedTheAbortedOne) {
    // Run is enabled again the moment the abort restores the form.
    WriteImages({{"a.png", 30}});
    Start(ThresholdMode::Manual);
    ASSERT_TRUE(monitor.Abort());
    Start(ThresholdMode::None);
    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.previousRunBlock);  // the new run's own end, with its block
    EXPECT_TRUE(last.statusText.ends_with(Native("抽出を終了しました。")));
    EXPECT_THAT(test::NamesIn(temp / "dst"), UnorderedElementsAre("a.png"));
}

TEST_F(RunMonitorTest, AbortWithoutARunLetsTheButtonClose) {
    EXPECT_FALSE(monitor.Abort());
    const JobTick tick = monitor.Tick();
    EXPECT_FALSE(tick.ended);
    EXPECT_FALSE(tick.running);
    // The window's end without a run: nothing to wait for, and the lock stays free.
    monitor.Stop();
    EXPECT_TRUE(monitor.WaitForWorkers(0ms));
    EXPECT_TRUE(job.lock.try_lock());
    job.lock.unlock();
}

TEST_F(RunMonitorTest, AbortAfterTheWorkerEndedButBeforeATickSawIt) {
    // The button still read "Abort": the run ends as an abort, and the program stays.
    test::MakeFolders(temp / "src");
    monitor.Start(Settings(temp / "src", temp.Path(), ThresholdMode::None));
    ASSERT_TRUE(monitor.WaitForWorkers(30s));
    std::string finalText;
    {
        std::scoped_lock hold(job.lock);
        ASSERT_EQ(job.running, 0);
        finalText = job.statusText;
    }
    const std::optional<std::string> block = monitor.Abort();
    ASSERT_TRUE(block);
    EXPECT_EQ(*block, Block(temp / "src", finalText));
    const JobTick tick = monitor.Tick();
    EXPECT_TRUE(tick.ended);
    EXPECT_FALSE(tick.previousRunBlock);
}

TEST_F(RunMonitorTest, QuestionCarriesACopyOfTheRequest) {
    WriteImages({{"a.png", 100}, {"b.png", 100}, {"c.png", 300}});
    Start(ThresholdMode::Manual);
    const JobTick asked =
        TickUntil(monitor, [](const JobTick& t) { return t.question.has_value(); });
    ASSERT_TRUE(asked.question);
    EXPECT_TRUE(asked.running);
    EXPECT_EQ(asked.question->maxSide, 300);
    ASSERT_EQ(asked.question->histogram.size(), 301u);
    EXPECT_EQ(asked.question->histogram[100], 2);
    EXPECT_EQ(asked.question->histogram[300], 1);
    EXPECT_TRUE(asked.statusText.ends_with(text::StatusCalculating));

    // Stopped while the question is open (the window closed under the dialog): the copy
    // stays readable, and the late answer reaches nobody.
    monitor.Stop();
    EXPECT_EQ(asked.question->histogram[300], 1);
    monitor.AnswerBound(asked.question->serial, 150);
    {
        std::scoped_lock hold(job.lock);
        EXPECT_FALSE(job.thresholdRequest);
        EXPECT_EQ(job.running, 0);
    }
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
}

TEST_F(RunMonitorTest, AnAnswerForAnEarlierRequestNeverReachesALaterOne) {
    WriteImages({{"small.png", 50}, {"large.png", 400}});

    Start(ThresholdMode::Manual);
    const JobTick first =
        TickUntil(monitor, [](const JobTick& t) { return t.question.has_value(); });
    ASSERT_TRUE(first.question);
    ASSERT_TRUE(monitor.Abort());
    ASSERT_TRUE(monitor.Tick().ended);

    // A new run asks again, perhaps from the same place on its stack.
    Start(ThresholdMode::Manual);
    const JobTick second =
        TickUntil(monitor, [](const JobTick& t) { return t.question.has_value(); });
    ASSERT_TRUE(second.question);
    EXPECT_NE(second.question->serial, first.question->serial);
    // AnswerBound decides on this thread, under the lock: once it has returned, the request
    // is answered or untouched, and only a stop or another answer can change that.
    monitor.AnswerBound(first.question->serial, 1000);  // late: ignored
    const JobTick still = monitor.Tick();
    ASSERT_TRUE(still.question);  // still waiting
    EXPECT_EQ(still.question->serial, second.question->serial);
    EXPECT_EQ(still.question->proposal, second.question->proposal);  // 1000 was not written

    // A second answer to a request already answered changes nothing either: the run ends
    // with the first one's bound.
    monitor.AnswerBound(second.question->serial, 100);
    monitor.AnswerBound(second.question->serial, 7);
    const JobTick last = TickToTheEnd(monitor);
    EXPECT_NE(last.statusText.find(Native("手動設定[ 100x100 Pixel ]")), std::string::npos);
    EXPECT_THAT(test::NamesIn(temp / "dst"), UnorderedElementsAre("large.png"));
}

TEST_F(RunMonitorTest, TicksFromAnotherThreadThroughAWholeRun) {
    // The tick runs on the front end's thread while the worker publishes: what the sanitizer
    // build watches. Every tick's figures must be those of one moment.
    for (int i = 0; i < 120; ++i) {
        test::WriteBytes(temp / ("src/f" + std::to_string(i) + ".png"), TinyPng(20 + i, 20 + i));
    }
    test::MakeFolders(temp / "dst");
    Start(ThresholdMode::Manual);
    std::int32_t lastProgress = 0;
    bool answered = false;
    std::thread front([&] {
        for (;;) {
            const JobTick tick = monitor.Tick();
            EXPECT_GE(tick.progress, lastProgress);
            EXPECT_LE(tick.statusText.size(), StatusTextLimit);
            lastProgress = tick.progress;
            if (tick.question) {
                monitor.AnswerBound(tick.question->serial, 0);
                answered = true;
            }
            if (tick.ended) return;
            std::this_thread::yield();
        }
    });
    front.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 120u);
}

}  // namespace
}  // namespace tessel
