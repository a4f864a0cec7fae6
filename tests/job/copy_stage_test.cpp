// The copy stage on the test's own thread: a real tree, the accounts it tells, and the order
// of what it asks of the file system (placings, flushes, removals), heard through the seam.
#include "job/copy_stage.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "files/os/io_hold.h"
#include "support/test_support.h"

namespace tessel {
namespace {

struct Step {
    os::IoStep step;
    std::string path;
};

// Every placing, flush and removal of the process, in order, while it stands; `onFlush` runs
// inside each flush, before the system is asked.
class StepLog {
public:
    explicit StepLog(std::function<void()> onFlush = {}) : onFlush_(std::move(onFlush)) {
        os::SetIoHold([this](os::IoStep step, std::string_view name, std::uint64_t) {
            if (step != os::IoStep::Place && step != os::IoStep::Flush &&
                step != os::IoStep::Remove) {
                return;
            }
            {
                std::scoped_lock hold(lock_);
                steps_.push_back({step, std::string(name)});
            }
            if (step == os::IoStep::Flush && onFlush_) onFlush_();
        });
    }
    ~StepLog() { os::SetIoHold({}); }
    std::vector<Step> Steps() {
        std::scoped_lock hold(lock_);
        return steps_;
    }

private:
    std::function<void()> onFlush_;
    std::mutex lock_;
    std::vector<Step> steps_;
};

// A stage over the .jpg files under `source`, keeping what it tells.
struct StageRun {
    FoundFileList found;
    CopyPlan plan;
    CopyHooks hooks;
    std::vector<FileAccount> told;
    std::stop_source stop;
    WorkerState calls;

    StageRun(const std::string& source, const std::string& destination) {
        ScanFolder(source, ",jpg,", found);
        std::sort(found.paths.begin(), found.paths.end());  // the sizes are all alike
        plan.destination = destination;
        plan.mode = DuplicateMode::Numbered;
        hooks.told = [this](const FileAccount& account) { told.push_back(account); };
    }
    CopiesDone Run() { return CopyAll(found, plan, hooks, stop.get_token(), calls); }
};

// Whether every removal of a source comes after a flush that came after its copy's placing.
void ExpectNoRemovalBeforeItsFlush(const std::vector<Step>& steps,
                                   const std::vector<FileAccount>& told,
                                   const FoundFileList& found) {
    for (std::size_t r = 0; r < steps.size(); ++r) {
        if (steps[r].step != os::IoStep::Remove) continue;
        const auto account = std::find_if(told.begin(), told.end(), [&](const FileAccount& a) {
            return found.paths[a.index] == steps[r].path;
        });
        ASSERT_NE(account, told.end()) << steps[r].path << " was removed but never told";
        const auto placed = std::find_if(steps.begin(), steps.begin() + r, [&](const Step& s) {
            return s.step == os::IoStep::Place && s.path == account->destination;
        });
        ASSERT_NE(placed, steps.begin() + r) << steps[r].path << " was removed before its copy";
        EXPECT_TRUE(std::any_of(placed, steps.begin() + r,
                                [](const Step& s) { return s.step == os::IoStep::Flush; }))
            << steps[r].path << " was removed before a flush covered its copy";
    }
}

std::size_t CountOf(const std::vector<Step>& steps, os::IoStep step) {
    return static_cast<std::size_t>(
        std::count_if(steps.begin(), steps.end(), [&](const Step& s) { return s.step == step; }));
}

TEST(CopyStage, AMoveRemovesNoSourceBeforeAFlushCoversItsCopy) {
    enum class AtFlush { Nothing, Stop, LookAsAKillWould };
    const struct {
        const char* what;
        std::size_t files;
        AtFlush atFlush;
        std::size_t flushes;   // at least
        std::size_t removals;  // of sources
    } cases[] = {
        {"one group", 3, AtFlush::Nothing, 1, 3},
        {"two groups", SettleFiles + 2, AtFlush::Nothing, 2, SettleFiles + 2},
        {"a stop between copy and flush", 3, AtFlush::Stop, 1, 0},
        {"what a kill at the flush leaves", 3, AtFlush::LookAsAKillWould, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        for (std::size_t i = 0; i < c.files; ++i) {
            test::WriteSized(temp / ("src/f" + std::to_string(1000 + i) + ".jpg"), 300,
                             static_cast<std::uint8_t>(i));
        }
        test::MakeFolders(temp / "dst");
        StageRun stage(temp / "src", temp / "dst");
        stage.plan.move = true;
        bool looked = false;
        StepLog log([&] {
            if (c.atFlush == AtFlush::Stop) stage.stop.request_stop();
            if (c.atFlush != AtFlush::LookAsAKillWould || looked) return;
            // A kill here leaves every source and every copy: a duplicate, never a loss.
            looked = true;
            EXPECT_EQ(test::FilesUnder(temp / "src").size(), c.files);
            EXPECT_EQ(test::FilesUnder(temp / "dst").size(), c.files);
        });
        const CopiesDone done = stage.Run();
        const std::vector<Step> steps = log.Steps();
        ExpectNoRemovalBeforeItsFlush(steps, stage.told, stage.found);
        EXPECT_GE(CountOf(steps, os::IoStep::Flush), c.flushes);
        EXPECT_EQ(CountOf(steps, os::IoStep::Remove), c.removals);
        ASSERT_EQ(stage.told.size(), c.files);
        EXPECT_EQ(test::FilesUnder(temp / "src").size(), c.files - c.removals);
        if (c.atFlush == AtFlush::Stop) {
            EXPECT_EQ(done.end, CopiesEnd::Stopped);
            for (const FileAccount& a : stage.told) {
                EXPECT_EQ(a.reason, "the source stays: the run was stopped");
            }
        }
    }
}

TEST(CopyStage, ADestinationThatGoesEndsTheCopiesWhenAsked) {
    const struct {
        bool endWhenGone;
        CopiesEnd end;
        std::size_t told;
    } cases[] = {
        {true, CopiesEnd::DestinationGone, 2},  // the first copy, then the one that failed
        {false, CopiesEnd::Finished, 3},        // the window's way: every file fails in turn
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.endWhenGone);
        TempFolder temp;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            test::WriteSized(temp / ("src/" + std::string(name)), 50);
        test::MakeFolders(temp / "dst");
        StageRun stage(temp / "src", temp / "dst");
        stage.plan.move = true;
        stage.plan.endWhenDestinationGoes = c.endWhenGone;
        // The stick is pulled right after the first copy stands.
        stage.hooks.copyPlaced = [&](const std::string&) {
            std::filesystem::remove_all(temp / "dst");
        };
        const CopiesDone done = stage.Run();
        EXPECT_EQ(done.end, c.end);
        ASSERT_EQ(stage.told.size(), c.told);
        EXPECT_EQ(stage.told[0].outcome, Outcome::Saved);
        if (c.endWhenGone) {
            EXPECT_EQ(stage.told[0].reason, "the source stays: the destination folder is gone");
        }
        EXPECT_EQ(stage.told[1].outcome, Outcome::Failed);
        // No source goes after the destination did.
        EXPECT_EQ(test::FilesUnder(temp / "src").size(), 3u);
    }
}

TEST(CopyStage, OverwritingWithAMoveOrAReadBackKeepsEveryFileOnce) {
    // Two files of one name: the later one replaces the earlier one's copy, as overwrite does,
    // but not when the earlier one was moved (its copy is then its only one), and a read-back
    // checks the earlier copy before it is replaced.
    const struct {
        const char* what;
        bool move;
        bool verify;
        Outcome second;
        char standing;  // the bytes under dst/a.jpg at the end
        std::size_t sourcesLeft;
    } cases[] = {
        {"move", true, false, Outcome::Failed, '1', 1},
        {"read-back", false, true, Outcome::Saved, '2', 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        test::WriteSized(temp / "src/one/a.jpg", 40, '1');
        test::WriteSized(temp / "src/two/a.jpg", 40, '2');
        test::MakeFolders(temp / "dst");
        StageRun stage(temp / "src", temp / "dst");
        stage.plan.mode = DuplicateMode::Overwrite;
        stage.plan.move = c.move;
        stage.plan.verify = c.verify;
        stage.Run();
        ASSERT_EQ(stage.told.size(), 2u);
        EXPECT_EQ(stage.told[0].outcome, Outcome::Saved) << stage.told[0].reason;
        EXPECT_EQ(stage.told[1].outcome, c.second) << stage.told[1].reason;
        EXPECT_EQ(test::ReadBytes(temp / "dst/a.jpg"), std::vector<std::uint8_t>(40, c.standing));
        EXPECT_EQ(test::FilesUnder(temp / "src").size(), c.sourcesLeft);
    }
}

}  // namespace
}  // namespace tessel
