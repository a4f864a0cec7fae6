// The worker on real folder trees: every phase's text, the progress it leaves, the
// manual-bound handshake from another thread, and stops in each phase.
#include "job/worker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "files/code_page.h"
#include "job/run_monitor.h"
#include "job/run_report.h"
#include "job/run_request.h"
#include "job/texts.h"
#include "support/io_gate.h"
#include "support/poll.h"
#include "support/test_support.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t MiB = std::uint64_t{1} << 20;

// --- running the worker ----------------------------------------------------------------

// A run started and answered the way every front end does it, through the monitor; the
// record's fields are read directly, to see what the worker left there.
struct JobRun {
    ExtractionJob job;
    RunMonitor monitor{job};
    RunSettings settings;
    RunExtras extras;

    JobRun(const std::string& source, const std::string& destination, std::uint32_t options,
           std::string_view extensions = ImageExtensions) {
        settings.sourceFolder = source;
        settings.destinationFolder = destination;
        settings.extensionList = MakeExtensionList(extensions);
        settings.options = options;
    }

    void Start() { monitor.Start(settings, extras); }
    template <typename F>
    auto Read(F f) {
        std::scoped_lock hold(job.lock);
        return f(job);
    }
    // The worker's end, as a front end sees it: running back at 0.
    void Finish() {
        Start();
        ASSERT_TRUE(monitor.WaitForWorkers(std::chrono::seconds(60)));
        EXPECT_EQ(Read([](ExtractionJob& j) { return j.running; }), 0);
    }
    std::string Status() {
        return Read([](ExtractionJob& j) { return j.statusText; });
    }
    std::int32_t Progress() {
        return Read([](ExtractionJob& j) { return j.progress; });
    }
    // Waits (polling like the window's timer, but faster) until `ready` holds.
    bool WaitFor(const std::function<bool(ExtractionJob&)>& ready) {
        return test::PollUntil([&] { return Read(ready); });
    }
    // Answers the waiting manual-bound request.
    void Answer(std::int32_t bound) {
        const JobTick tick = monitor.Tick();
        ASSERT_TRUE(tick.question);
        monitor.AnswerBound(tick.question->serial, bound);
    }
    bool BoundRequested() {
        return WaitFor([](ExtractionJob& j) {
            return j.thresholdRequest.has_value() && !j.thresholdRequest->answer;
        });
    }
};

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        if (!text.empty()) text += "\r\n";
        text += Native(line);
    }
    return text;
}

// --- summaries -----------------------------------------------------------------------------

TEST(WorkerRun, WorkedExampleOfAFinishedRun) {
    // Twelve files of 345 KByte, two of them repeating a name with the same size: those two
    // are not copied again, so ten are saved.
    TempFolder temp;
    const std::size_t size = 345 * 1024 / 12;
    for (int i = 0; i < 10; ++i) {
        test::WriteSized(temp / ("src/a/x" + std::to_string(i) + ".jpg"), size,
                         static_cast<std::uint8_t>('a' + i));
    }
    test::WriteSized(temp / "src/b/x0.jpg", size, 'a');
    test::WriteSized(temp / "src/b/x1.jpg", size, 'b');
    test::MakeFolders(temp / "dst");

    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone);
    run.Finish();
    EXPECT_EQ(run.Status(),
              Lines({"抽出ファイルが12個見つかりました。", "合計ファイルサイズ：345KByte",
                     "重複ファイル：2個", "ファイル縦横サイズ閾値設定：なし",
                     "実際に保存されたファイル数：10個（※同名かつ同サイズのファイル"
                     "は上書きしません）",
                     "", "抽出を終了しました。"}));
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 10u);
    EXPECT_EQ(run.Progress(), 100);  // twelve steps of 4 each way: exact
}

TEST(WorkerRun, EachThresholdModeWritesItsSummary) {
    // Nine images of sides 200 (three), 799, 800 (three) and 801 (two): the automatic bound
    // is 524, so the six large ones pass.
    TempFolder temp;
    WriteSquares(temp / "src", {200, 200, 200, 799, 800, 800, 800, 801, 801});
    const struct {
        ThresholdMode mode;
        const char* lastLine;
        std::size_t copied;
    } cases[] = {
        {ThresholdMode::None, "ファイル縦横サイズ閾値設定：なし", 9},
        {ThresholdMode::Auto, "抽出するファイル縦横サイズの下限：自動設定[ 524x524 Pixel ]", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastLine);
        TempFolder destination;
        JobRun run(temp / "src", destination.Path(), OptionsWord(DuplicateMode::Numbered, c.mode));
        run.Finish();
        const std::string status = run.Status();
        EXPECT_NE(status.find(Native(c.lastLine) + "\r\n"), std::string::npos) << status;
        EXPECT_EQ(status.find(Native("抽出ファイルが9個見つかりました。")), 0u);
        EXPECT_EQ(test::NamesIn(destination.Path()).size(), c.copied);
    }
}

TEST(WorkerRun, AutomaticFailureCopiesEverything) {
    // Sides 129 to 139, one each: no run of three empty classes above 128, and the largest
    // side lies above the spread with its neighbour occupied: no automatic bound.
    TempFolder temp;
    for (std::uint32_t side = 129; side <= 139; ++side) {
        test::WriteBytes(temp / ("src/s" + std::to_string(side) + ".png"), TinyPng(side, side));
    }
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Overwrite | ThresholdAuto);
    run.Finish();
    EXPECT_NE(
        run.Status().find(Native("ファイル縦横サイズ閾値設定：なし（自動設定に失敗しました）")),
        std::string::npos);
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 11u);
}

TEST(WorkerRun, DuplicateNamesAreCountedCaseSensitively) {
    TempFolder temp;
    for (const char* path :
         {"src/a/x.jpg", "src/b/x.jpg", "src/c/x.jpg", "src/d/y.jpg", "src/e/X.JPG"}) {
        test::WriteText(temp / path, path);
    }
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone);
    run.extras.dryRun = true;
    run.Finish();
    EXPECT_EQ(run.Status(),
              Lines({"抽出ファイルが5個見つかりました。", "合計ファイルサイズ：0KByte",
                     "重複ファイル：2個", "ファイル縦横サイズ閾値設定：なし"}));
}

TEST(WorkerRun, NoFileFoundStillRunsEveryPhase) {
    TempFolder temp;
    test::WriteText(temp / "src/readme.txt", "not listed");
    test::MakeFolders(temp / "dst");
    const struct {
        ThresholdMode mode;
        const char* lastLine;
    } cases[] = {
        {ThresholdMode::None, "ファイル縦横サイズ閾値設定：なし"},
        {ThresholdMode::Auto, "ファイル縦横サイズ閾値設定：なし（自動設定に失敗しました）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastLine);
        JobRun run(temp / "src", temp / "dst", OptionsWord(DuplicateMode::Numbered, c.mode));
        run.Finish();
        EXPECT_EQ(run.Status(),
                  Lines({"抽出ファイルが0個見つかりました。", "合計ファイルサイズ：0KByte",
                         "重複ファイル：0個", c.lastLine,
                         "実際に保存されたファイル数：0個（※同名かつ同サイズのファイルは上書きし"
                         "ません）",
                         "", "抽出を終了しました。"}));
        EXPECT_EQ(run.Progress(), 4);  // no step is ever added
    }
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
}

TEST(WorkerRun, NoFileFoundStillAsksForAManualBound) {
    TempFolder temp;
    test::MakeFolders(temp / "src");
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdManual);
    run.Start();
    ASSERT_TRUE(run.BoundRequested());
    run.Read([](ExtractionJob& j) {
        ASSERT_TRUE(j.thresholdRequest);
        ASSERT_NE(j.thresholdRequest->histogram, nullptr);
        EXPECT_EQ(j.thresholdRequest->histogram->size(), 1u);  // one bin, side 0
        EXPECT_EQ(j.thresholdRequest->maxSide, 0);
        EXPECT_EQ(j.thresholdRequest->bound, 0);  // the proposal
    });
    run.Answer(0);
    ASSERT_TRUE(run.monitor.WaitForWorkers(30s));
    EXPECT_NE(run.Status().find(Native("手動設定[ 0x0 Pixel ]")), std::string::npos);
    EXPECT_EQ(run.Progress(), 4);
    run.Read([](ExtractionJob& j) { EXPECT_FALSE(j.thresholdRequest); });
}

TEST(WorkerRun, FiveFilesEndAt99) {
    TempFolder temp;
    for (int i = 0; i < 5; ++i) test::WriteText(temp / ("src/f" + std::to_string(i) + ".gif"), "x");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone);
    test::MakeFolders(temp / "dst");
    run.Finish();
    EXPECT_EQ(run.Progress(), 99);
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 5u);
}

TEST(WorkerRun, TotalsAreSixtyFourBitsWide) {
    // Two sparse files of 3 GiB: the window's 32-bit total would have wrapped.
    TempFolder temp;
    for (const char* name : {"src/a.zip", "src/b.zip"}) {
        test::WriteText(temp / name, "");
        std::filesystem::resize_file(temp / name, std::uint64_t{3} << 30);
    }
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone, ArchiveExtensions);
    run.extras.dryRun = true;
    run.Finish();
    EXPECT_NE(run.Status().find(Native("合計ファイルサイズ：6291456KByte")), std::string::npos)
        << run.Status();
}

TEST(WorkerRun, ADestinationInsideTheSourceSavesOnlyRealCopies) {
    // A second run finds the first run's copies too. Copying one of them onto itself saves
    // nothing: only the two pictures outside the destination count.
    TempFolder temp;
    test::WriteSized(temp / "src/a.jpg", 100, 'a');
    test::WriteSized(temp / "src/sub/b.jpg", 200, 'b');
    test::MakeFolders(temp / "src/out");
    const std::string destination = temp / "src/out";
    for (const char* expected :
         {"抽出ファイルが2個見つかりました。", "抽出ファイルが4個見つかりました。"}) {
        JobRun run(temp / "src", destination, Overwrite | ThresholdNone);
        run.Finish();
        SCOPED_TRACE(run.Status());
        EXPECT_EQ(run.Status().find(Native(expected)), 0u);
        EXPECT_NE(run.Status().find(Native("実際に保存されたファイル数：2個")), std::string::npos);
    }
    EXPECT_THAT(test::NamesIn(destination), UnorderedElementsAre("a.jpg", "b.jpg"));
    EXPECT_EQ(test::ReadBytes(destination + Sep() + "b.jpg"), std::vector<std::uint8_t>(200, 'b'));
}

TEST(WorkerRun, TellsOfItsEndOnceRunningIsZero) {
    TempFolder temp;
    test::WriteText(temp / "src/a.jpg", "a");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone);
    run.extras.dryRun = true;
    int calls = 0;
    std::int32_t runningThen = -1;
    run.extras.runEnded = [&] {
        ++calls;
        runningThen = run.Read([](ExtractionJob& j) { return j.running; });
    };
    run.Finish();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(runningThen, 0);

    // Not after a stop: the front end that stopped the run knows already.
    JobRun stopped(temp / "src", temp / "dst", Numbered | ThresholdManual);
    stopped.extras.runEnded = [&] { ++calls; };
    stopped.Start();
    ASSERT_TRUE(stopped.BoundRequested());
    stopped.monitor.Stop();
    EXPECT_EQ(calls, 1);
}

// --- the manual bound --------------------------------------------------------------------

TEST(WorkerManualBound, AnswerReplacesTheProposal) {
    TempFolder temp;
    const std::array<std::uint32_t, 5> sides = {100, 249, 250, 251, 300};
    for (const std::uint32_t side : sides) {
        test::WriteBytes(temp / ("src/p" + std::to_string(side) + ".png"), TinyPng(side, side));
    }
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdManual);
    run.Start();

    // From another thread, as the window's monitor would: the worker waits meanwhile, with
    // the lock free and the progress at the end of the duplicate phase.
    std::thread monitor([&] {
        ASSERT_TRUE(run.BoundRequested());
        EXPECT_GE(run.Progress(), 51);
        const std::string status = run.Status();
        EXPECT_TRUE(status.ends_with(text::StatusCalculating)) << status;
        run.Answer(250);
    });
    monitor.join();
    ASSERT_TRUE(run.monitor.WaitForWorkers(30s));

    EXPECT_NE(run.Status().find(Native(
                  "抽出するファイル縦横サイズの下限：手動設定[ 250x250 Pixel ]\r\n実際に保存された"
                  "ファイル数：2個")),
              std::string::npos)
        << run.Status();
    EXPECT_THAT(test::NamesIn(temp / "dst"), UnorderedElementsAre("p251.png", "p300.png"));
}

TEST(WorkerManualBound, AnAnswerWakesTheWaitEarly) {
    // How soon after the answer the worker ends (not at its next look, a second later) is a
    // benchmark figure: tools/bench/stop_latency_bench.cpp.
    TempFolder temp;
    test::WriteBytes(temp / "src/a.png", TinyPng(10, 10));
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdManual);
    run.extras.dryRun = true;
    run.Start();
    ASSERT_TRUE(run.BoundRequested());
    run.Answer(5);
    ASSERT_TRUE(run.monitor.WaitForWorkers(30s));
    EXPECT_NE(run.Status().find(Native("手動設定[ 5x5 Pixel ]")), std::string::npos);
}

// --- the status text's byte cuts -----------------------------------------------------------

// Runs in manual mode and returns the status as it stands while the bound is asked: the
// search text after the calculation step.
std::string StatusAtTheRequest(JobRun& run) {
    run.Start();
    EXPECT_TRUE(run.BoundRequested());
    std::string status = run.Status();
    run.Answer(0);
    EXPECT_TRUE(run.monitor.WaitForWorkers(30s));
    return status;
}

TEST(WorkerStatus, ShortSourceLeavesOnlyTheCalculatingLine) {
    // The source "a" seen from its parent: the searching line and "\r\na" + separator are
    // shorter than the cut, as for the window's C:\a.
    TempFolder temp;
    test::WriteText(temp / "a/x.txt", "");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.Path());
    JobRun run("a", "dst", Numbered | ThresholdManual);
    run.extras.dryRun = true;
    const std::string status = StatusAtTheRequest(run);
    std::filesystem::current_path(previous);
    EXPECT_EQ(status, text::StatusCalculating);
}

TEST(WorkerStatus, FolderTrailKeepsItsNewest1023BytesThenLosesTheHead) {
    // Thirty sibling folders with long names, one file each: the folder lines add up to far
    // more than 1023 bytes. Their order is the file system's; the found files tell it.
    TempFolder temp;
    for (int i = 0; i < 30; ++i) {
        const std::string name = "folder-" + std::to_string(i) + std::string(40, 'n');
        test::WriteText(temp / ("src/" + name + "/f.txt"), "");
    }
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdManual, "txt");
    run.extras.dryRun = true;
    std::vector<std::string> found;
    run.extras.foundFilesHook = [&found](const FoundFileList& list) { found = list.paths; };
    const std::string status = StatusAtTheRequest(run);
    ASSERT_EQ(found.size(), 30u);

    const std::string root = temp / "src";
    std::string trail = std::string(text::StatusSearching) + "\r\n" + root + Sep();
    for (const std::string& path : found) {
        trail += "\r\n" + path.substr(0, path.size() - std::strlen("f.txt"));
    }
    ASSERT_GT(trail.size(), 2000u);
    const std::string kept = trail.substr(trail.size() - StatusTextLimit);
    // Bytes as the window counts them: the calculating line's in code page 932 on Windows.
    const std::size_t dropped = ShownSize(text::StatusCalculating, TextCodePage) + 1;
    EXPECT_EQ(status,
              kept.substr(dropped, StatusTextLimit - 1 - dropped) + text::StatusCalculating);
}

// --- stops ---------------------------------------------------------------------------------

// After a stop the worker is gone and has left the lock free.
void ExpectStopped(JobRun& run) {
    EXPECT_TRUE(run.monitor.WaitForWorkers(0ms));
    ASSERT_TRUE(run.job.lock.try_lock());
    run.job.lock.unlock();
}

TEST(WorkerStop, RightAfterTheSearch) {
    TempFolder temp;
    test::WriteText(temp / "src/a.jpg", "a");
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone);
    // The test holds the worker at the end of the search until the stop has been requested.
    std::atomic<bool> searched = false;
    std::atomic<bool> stopRequested = false;
    run.extras.foundFilesHook = [&](const FoundFileList&) {
        searched = true;
        while (!stopRequested) std::this_thread::sleep_for(1ms);  // for the stopper, below
    };
    run.Start();
    const std::stop_token token = run.monitor.WorkerStop();
    ASSERT_TRUE(test::PollUntil([&] { return searched.load(); }));
    std::thread stopper([&] { run.monitor.Stop(); });
    // The stop is requested under the lock, then the stopper waits for the worker, which
    // would go on with the calculating line if it did not look.
    const bool stopped = test::PollUntil([&] { return token.stop_requested(); });
    stopRequested = true;
    stopper.join();
    ASSERT_TRUE(stopped);

    const std::string status = run.Status();
    EXPECT_EQ(status.find(text::StatusSearching), 0u);
    EXPECT_EQ(status.find(text::StatusCalculating), std::string::npos);
    EXPECT_EQ(run.Progress(), 4);
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
    ExpectStopped(run);
}

TEST(WorkerStop, WhileTheBoundIsAsked) {
    TempFolder temp;
    test::WriteBytes(temp / "src/a.png", TinyPng(20, 20));
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdManual);
    run.Start();
    ASSERT_TRUE(run.BoundRequested());
    const std::string asked = run.Status();
    // That the stop ends the wait at once, not at the next look a second later, is a
    // benchmark figure: tools/bench/stop_latency_bench.cpp.
    run.monitor.Stop();
    // The question goes with the worker (its histogram lived on the worker's stack), and no
    // later word of the worker's reaches the record.
    EXPECT_EQ(run.Status(), asked);
    EXPECT_FALSE(run.monitor.Tick().question);
    run.Read([](ExtractionJob& j) { EXPECT_FALSE(j.thresholdRequest); });
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
    ExpectStopped(run);
}

TEST(WorkerStop, DuringTheCopiesLeavesOnlyWholeFiles) {
    // The worker is held inside the copy of the file in the middle of the search's order, its
    // temporary file made, and the stop lands there: every file before it stands whole, and
    // neither it nor any after it is there.
    TempFolder temp;
    for (int i = 0; i < 200; ++i) {
        test::WriteSized(temp / ("src/f" + std::to_string(i) + ".bmp"), 16 * 1024,
                         static_cast<std::uint8_t>(i));
    }
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone);
    run.extras.jobs = 1;  // one copy after the other: those before the held one are in place
    test::IoGate gate(os::IoStep::CopyChunk, "");  // aimed once the order is known
    std::vector<std::string> found;
    run.extras.foundFilesHook = [&](const FoundFileList& list) {
        found = list.paths;
        gate.AimAt(NameOf(found[100]));
    };
    run.Start();
    ASSERT_TRUE(gate.WaitUntilHeld()) << "the copies never reached the 101st file";
    gate.ReleaseOnStop(run.monitor.WorkerStop());
    run.monitor.Stop();
    // The stop did not wait for the held copy; it removes its temporary file once it returns.
    ASSERT_TRUE(run.monitor.WaitForWorkers(30s));

    std::vector<std::string> copied;
    for (std::size_t i = 0; i < 100; ++i) copied.push_back(NameOf(found[i]));
    EXPECT_THAT(test::NamesIn(temp / "dst"), UnorderedElementsAreArray(copied));
    for (const std::string& name : test::NamesIn(temp / "dst")) {
        SCOPED_TRACE(name);
        EXPECT_EQ(test::ReadBytes(temp / ("dst/" + name)), test::ReadBytes(temp / ("src/" + name)));
    }
    ExpectStopped(run);
}

TEST(WorkerStop, InTheMiddleOfAHugeCopy) {
    // A 2 GiB sparse file, the worker held 16 MiB into its copy: the stop lands inside it on
    // every machine, and what was written goes. How long the stop takes from there is a
    // benchmark figure: tools/bench/stop_latency_bench.cpp.
    TempFolder temp;
    test::WriteSparse(temp / "src/huge.tar", std::uint64_t{2} << 30);
    test::MakeFolders(temp / "dst");
    JobRun run(temp / "src", temp / "dst", Numbered | ThresholdNone, ArchiveExtensions);
    test::IoGate gate(os::IoStep::CopyChunk, "huge.tar", 16 * MiB);
    run.Start();
    ASSERT_TRUE(gate.WaitUntilHeld()) << "the copy never reached 16 MiB";
    // The summary stands alone only between the bound and the first file's end.
    const std::string summary =
        FormatSummary({1, std::uint64_t{2} << 30, 0, ThresholdMode::None, 0});
    EXPECT_EQ(run.Status(), summary);
    gate.ReleaseOnStop(run.monitor.WorkerStop());
    run.monitor.Stop();

    EXPECT_EQ(run.Status(), summary);
    ASSERT_TRUE(run.monitor.WaitForWorkers(30s));
    EXPECT_EQ(run.Status(), summary);
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());  // no partial file, no temporary
    ExpectStopped(run);
}

}  // namespace
}  // namespace tessel
