// What a run tells of each found file, and the three things a run may do beyond the window's
// copies: skip bytes the destination holds under any name, read every copy back, and move.
// Real trees in temp folders; a stop is placed with a held read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "files/texts.h"
#include "job/extraction_job.h"
#include "job/run_monitor.h"
#include "job/run_request.h"
#include "job/worker.h"
#include "support/io_gate.h"
#include "support/poll.h"
#include "support/test_support.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

using namespace std::chrono_literals;

struct Told {
    std::string name;  // of the found file
    Outcome outcome;
    std::string destination;
    std::string reason;
};

// A run through the monitor, as the command starts it, that keeps every account it hears.
struct AccountedRun {
    ExtractionJob job;
    RunMonitor monitor{job};
    RunSettings settings;
    RunExtras extras;
    std::mutex lock;
    std::vector<std::string> found;
    std::vector<Told> told;

    AccountedRun(const std::string& source, const std::string& destination,
                 DuplicateMode mode = DuplicateMode::Numbered,
                 ThresholdMode threshold = ThresholdMode::None) {
        settings.sourceFolder = source;
        settings.destinationFolder = destination;
        settings.extensionList = MakeExtensionList(ImageExtensions);
        settings.options = OptionsWord(mode, threshold);
        extras.foundFilesHook = [this](const FoundFileList& list) {
            std::scoped_lock hold(lock);
            found = list.paths;
        };
        extras.fileHandled = [this](const FileAccount& account) {
            std::scoped_lock hold(lock);
            const std::string& path = found.at(account.index);
            told.push_back({path.substr(path.find_last_of("\\/") + 1), account.outcome,
                            account.destination, account.reason});
        };
    }
    void Start() { monitor.Start(settings, extras); }
    void Finish() {
        Start();
        ASSERT_TRUE(monitor.WaitForWorkers(std::chrono::seconds(60)));
    }
    // A run in the manual mode, its request answered with `bound`.
    void FinishAnswering(std::int32_t bound) {
        Start();
        ASSERT_TRUE(test::PollUntil([&] { return monitor.Tick().question.has_value(); }));
        monitor.AnswerBound(monitor.Tick().question->serial, bound);
        ASSERT_TRUE(monitor.WaitForWorkers(std::chrono::seconds(60)));
    }
    std::string Status() {
        std::scoped_lock hold(job.lock);
        return job.statusText;
    }
    bool SaysSaved(int count) {
        return Status().find("実際に保存されたファイル数：" + std::to_string(count) + "個") !=
               std::string::npos;
    }
    const Told* Of(const std::string& name) {
        for (const Told& t : told) {
            if (t.name == name) return &t;
        }
        return nullptr;
    }
    Outcome FateOf(const std::string& name) {
        const Told* t = Of(name);
        EXPECT_TRUE(t) << name << " was not told";
        return t ? t->outcome : Outcome::NotReached;
    }
};

TEST(FileAccounts, EachFileIsToldOnceInScanOrderWithWhatBecameOfIt) {
    TempFolder temp;
    // Sides 200 (three) below the bound of 500, 799 to 801 above it.
    WriteSquares(temp / "src", {200, 200, 200, 799, 800, 800, 800, 801, 801});
    // i3 stands in the destination with its size already; a name of 255 bytes has no room
    // for a number, so the second file of that name fails with the system's own words.
    test::WriteBytes(temp / "dst/i3.png", TinyPng(799, 799));
    const std::string longName = std::string(251, 'n') + ".png";
    test::WriteBytes(temp / ("src/a/" + longName), TinyPng(900, 900));
    test::WriteBytes(temp / ("src/b/" + longName), TinyPng(900, 900, 7));

    AccountedRun run(temp / "src", temp / "dst", DuplicateMode::Numbered, ThresholdMode::Manual);
    run.FinishAnswering(500);

    ASSERT_EQ(run.told.size(), run.found.size());
    for (std::size_t i = 0; i < run.found.size(); ++i) {
        EXPECT_EQ(run.told[i].name, NameOf(run.found[i])) << "not in scan order at " << i;
    }
    for (const char* small : {"i0.png", "i1.png", "i2.png"}) {
        EXPECT_EQ(run.FateOf(small), Outcome::BelowBound) << small;
    }
    EXPECT_EQ(run.FateOf("i3.png"), Outcome::SameNameAndSize);
    EXPECT_EQ(run.Of("i3.png")->destination, temp / "dst/i3.png");
    EXPECT_EQ(run.FateOf("i4.png"), Outcome::Saved);
    EXPECT_EQ(run.Of("i4.png")->destination, temp / "dst/i4.png");

    std::vector<Outcome> longOnes;
    for (const Told& t : run.told) {
        if (t.name == longName) longOnes.push_back(t.outcome);
    }
    EXPECT_THAT(longOnes, ::testing::UnorderedElementsAre(Outcome::Saved, Outcome::Failed));
    for (const Told& t : run.told) {
        if (t.name == longName && t.outcome == Outcome::Failed) {
#ifndef _WIN32
            EXPECT_EQ(t.reason, "File name too long");
#else
            EXPECT_FALSE(t.reason.empty());
#endif
        }
    }
    // Five saved of the six large ones and one of the long names: the final text agrees.
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 7u);
    EXPECT_TRUE(run.SaysSaved(6)) << run.Status();
}

TEST(FileAccounts, ADryRunTellsEveryFileAndCopiesNothing) {
    TempFolder temp;
    test::WriteBytes(temp / "src/big.png", TinyPng(800, 800));
    test::WriteBytes(temp / "src/s1.png", TinyPng(200, 200));
    test::WriteBytes(temp / "src/s2.png", TinyPng(200, 200, 1));
    test::WriteBytes(temp / "src/s3.png", TinyPng(200, 200, 2));
    test::MakeFolders(temp / "dst");
    AccountedRun run(temp / "src", temp / "dst", DuplicateMode::Numbered, ThresholdMode::Auto);
    run.extras.dryRun = true;
    run.Finish();
    ASSERT_EQ(run.told.size(), 4u);
    EXPECT_EQ(run.FateOf("big.png"), Outcome::NotReached);
    EXPECT_EQ(run.FateOf("s1.png"), Outcome::BelowBound);
    EXPECT_TRUE(test::NamesIn(temp / "dst").empty());
}

// --- the same bytes under any name ---------------------------------------------------------

TEST(SameContent, BytesTheDestinationHoldsAnywhereAreNotCopiedAgain) {
    TempFolder temp;
    const std::vector<std::uint8_t> held = TinyPng(640, 480, 10);
    const std::vector<std::uint8_t> inDuplicates = TinyPng(640, 480, 20);
    test::WriteBytes(temp / "dst/holiday-001.png", held);
    test::WriteBytes(temp / ("dst/" + std::string(text::DuplicatesFolder) + "/old(1).png"),
                     inDuplicates);
    test::WriteBytes(temp / "src/a/renamed.png", held);  // under another name
    test::WriteBytes(temp / "src/a/in-duplicates.png", inDuplicates);
    std::vector<std::uint8_t> other = held;  // one size, other bytes
    other.back() ^= 0xff;
    test::WriteBytes(temp / "src/a/same-size.png", other);
    const std::vector<std::uint8_t> twice = TinyPng(800, 600, 30);
    test::WriteBytes(temp / "src/b/first.png", twice);  // copied, then met again
    test::WriteBytes(temp / "src/c/second.png", twice);

    AccountedRun run(temp / "src", temp / "dst");
    run.extras.sameContent = true;
    run.Finish();

    EXPECT_EQ(run.FateOf("renamed.png"), Outcome::SameContent);
    EXPECT_EQ(run.Of("renamed.png")->destination, temp / "dst/holiday-001.png");
    EXPECT_EQ(run.FateOf("in-duplicates.png"), Outcome::SameContent);
    EXPECT_EQ(run.FateOf("same-size.png"), Outcome::Saved);
    std::vector<Outcome> pair = {run.FateOf("first.png"), run.FateOf("second.png")};
    EXPECT_THAT(pair, ::testing::UnorderedElementsAre(Outcome::Saved, Outcome::SameContent));
    EXPECT_THAT(test::NamesIn(temp / "dst"),
                ::testing::IsSupersetOf({"holiday-001.png", "same-size.png"}));
    // With the duplicates folder and one of the pair.
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 4u);
    EXPECT_TRUE(run.SaysSaved(2)) << run.Status();
}

TEST(SameContent, WithoutTheOptionAFileUnderAnotherNameIsCopiedAsBefore) {
    TempFolder temp;
    const std::vector<std::uint8_t> held = TinyPng(640, 480, 10);
    test::WriteBytes(temp / "dst/holiday-001.png", held);
    test::WriteBytes(temp / "src/renamed.png", held);
    AccountedRun run(temp / "src", temp / "dst");
    run.Finish();
    EXPECT_EQ(run.FateOf("renamed.png"), Outcome::Saved);
}

// --- reading copies back -------------------------------------------------------------------

TEST(Verify, ACopyChangedBehindTheRunsBackIsRemovedAndFailed) {
    TempFolder temp;
    test::WriteBytes(temp / "src/good.png", TinyPng(300, 300));
    test::WriteBytes(temp / "src/bad.png", TinyPng(300, 300, 5));
    test::MakeFolders(temp / "dst");
    AccountedRun run(temp / "src", temp / "dst");
    run.extras.verify = true;
    run.extras.move = true;
    run.extras.copyPlaced = [](const std::string& copy) {
        if (copy.ends_with("bad.png")) {
            std::vector<std::uint8_t> bytes = test::ReadBytes(copy);
            bytes[20] ^= 0x01;
            test::WriteBytes(copy, bytes);
        }
    };
    run.Finish();
    EXPECT_EQ(run.FateOf("good.png"), Outcome::Saved);
    EXPECT_EQ(run.FateOf("bad.png"), Outcome::Failed);
    EXPECT_EQ(run.Of("bad.png")->reason, "copy differs from source");
    EXPECT_THAT(test::NamesIn(temp / "dst"), ::testing::ElementsAre("good.png"));
    // The move takes only what was verified.
    EXPECT_THAT(test::NamesIn(temp / "src"), ::testing::ElementsAre("bad.png"));
    EXPECT_TRUE(run.SaysSaved(1)) << run.Status();
}

// --- moving --------------------------------------------------------------------------------

TEST(Move, OnlyASourceWhoseCopyStandsWholeIsRemoved) {
    TempFolder temp;
    test::WriteBytes(temp / "src/new.png", TinyPng(300, 300));
    test::WriteBytes(temp / "src/there.png", TinyPng(300, 300, 1));
    test::WriteBytes(temp / "dst/there.png", TinyPng(300, 300, 1));  // same name and size
    test::WriteBytes(temp / "src/small.png", TinyPng(10, 10));
    const std::string longName = std::string(251, 'n') + ".png";
    test::WriteBytes(temp / ("dst/" + longName), TinyPng(300, 300, 9));  // taken, other size
    test::WriteBytes(temp / ("src/" + longName), TinyPng(300, 300, 2));  // fails: no room

    AccountedRun run(temp / "src", temp / "dst", DuplicateMode::Numbered, ThresholdMode::Manual);
    run.extras.move = true;
    run.FinishAnswering(100);

    EXPECT_EQ(run.FateOf("new.png"), Outcome::Saved);
    EXPECT_EQ(run.FateOf("there.png"), Outcome::SameNameAndSize);
    EXPECT_EQ(run.FateOf("small.png"), Outcome::BelowBound);
    EXPECT_EQ(run.FateOf(longName), Outcome::Failed);
    EXPECT_THAT(test::NamesIn(temp / "src"),
                ::testing::UnorderedElementsAre("there.png", "small.png", longName));
    EXPECT_EQ(test::ReadBytes(temp / "dst/new.png"), TinyPng(300, 300));
}

TEST(Move, AStopRemovesNoSourceWhoseCopyIsNotInPlace) {
    TempFolder temp;
    test::WriteSized(temp / "src/a/one.jpg", 3 << 20, 'a');
    test::WriteSized(temp / "src/b/two.jpg", 3 << 20, 'b');
    test::MakeFolders(temp / "dst");
    AccountedRun run(temp / "src", temp / "dst");
    run.extras.move = true;
    run.extras.jobs = 1;  // the first copy is in place before the second one's bytes go
    // The second found file is held in the middle of its copy.
    test::IoGate gate(os::IoStep::CopyChunk, "", 1 << 20);
    const auto keep = run.extras.foundFilesHook;
    run.extras.foundFilesHook = [&](const FoundFileList& list) {
        keep(list);
        gate.AimAt(NameOf(list.paths.at(1)));
    };
    run.Start();
    ASSERT_TRUE(gate.WaitUntilHeld());
    ASSERT_TRUE(run.monitor.Abort());
    gate.Release();
    ASSERT_TRUE(run.monitor.WaitForWorkers(30s));

    std::scoped_lock hold(run.lock);
    ASSERT_EQ(run.found.size(), 2u);
    ASSERT_EQ(run.told.size(), 1u);  // the held file's copy was removed: it is not told
    EXPECT_EQ(run.told[0].outcome, Outcome::Saved);
    // The first copy stands, but no flush covered it before the stop: its source stays too.
    EXPECT_EQ(run.told[0].reason, "the source stays: the run was stopped");
    const std::string first = NameOf(run.found[0]);
    EXPECT_THAT(test::NamesIn(temp / "dst"), ::testing::ElementsAre(first));
    EXPECT_EQ(test::FilesUnder(temp / "src").size(), 2u);
}

}  // namespace
}  // namespace tessel
