// job/copy_stage.h: the last stage of a run, the copies: every found file above the bound
// through the copy planner, in scan order, with what the command may ask beyond the window
// (the same bytes under any name, a read-back from the disk, a move). Plain values in and
// out; it knows nothing of the job record or of threads, so it runs as well on a test's own.
//
// Durable before destructive: with a move (or a read-back) the copies are settled in groups.
// A group is copied, flushed to the disk once (os::FlushFolder), read back, and only then are
// its sources removed and its files told, in scan order. A stop, a kill or a pulled disk
// before the flush leaves the group's sources where they were, beside their copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

#include "files/copy_planner.h"
#include "files/file_account.h"
#include "files/folder_scan.h"
#include "job/in_call.h"

namespace tessel {

struct CopyPlan {
    std::string destination;
    // Without a duplicate mode nothing is copied, as the planner does for any other word.
    std::optional<DuplicateMode> mode;
    // A file is taken when its SquareSide is greater; without a bound every file is.
    std::optional<std::int32_t> bound;
    bool dryRun = false;  // every file told, none copied
    // Not copied either: a file whose bytes stand at the top level of the destination or in
    // its duplicates folder, or in a copy made earlier in the run (files/content_index.h).
    bool sameContent = false;
    // Each copy is read back from the disk once it is flushed and compared with its source;
    // one that differs is removed and its file failed.
    bool verify = false;
    // The source of each copy that stands whole under its final name, flushed (and verified,
    // with `verify`), is removed. Nothing else is: a file not copied stays where it was.
    bool move = false;
    // The first copy that fails because the destination folder is gone (a pulled stick, a
    // dropped share, the folder removed) ends the copies: no later file is tried, and no
    // source is removed after it.
    bool endWhenDestinationGoes = false;
    // How many copies' data travel at once: 1 copies one file after the other. More write the
    // next files' data ahead (os::StageCopy) while the names are still chosen one by one, in
    // scan order, each with every earlier copy in its place: the same names, bytes, accounts
    // and texts as one at a time.
    std::size_t inFlight = 1;
};

struct CopyHooks {
    // Each found file's account, in scan order. A stop ends the accounts: the files whose
    // copies wait for a flush are told (their sources stay), then the file whose call was
    // under way if it came to an outcome (a copy that the stop removed is not told), and no
    // file after it.
    std::function<void(const FileAccount&)> told;
    // After each found file has been decided (before a group's flush may tell it): how many
    // are done, and the last one above the bound. False when the run was stopped meanwhile:
    // the stage then returns at once.
    std::function<bool(std::size_t done, const std::string& lastTaken)> stepped;
    // After a copy is in place and before it is verified: tests change it there.
    std::function<void(const std::string& copy)> copyPlaced;
};

enum class CopiesEnd { Finished, Stopped, DestinationGone };

struct CopiesDone {
    std::uint64_t saved = 0;  // the files whose copies stand (and were not removed again)
    CopiesEnd end = CopiesEnd::Finished;
};

// How many files and bytes a group of copies gathers before it is settled. Not a time: where a
// group ends decides what a later file meets (a link whose target a move has removed), and
// that must not depend on how fast the disk was.
inline constexpr std::size_t SettleFiles = 256;
inline constexpr std::uint64_t SettleBytes = std::uint64_t{64} << 20;

// Whether the file at `index` is above the plan's bound (or the plan has none).
bool IsTaken(const FoundFileList& found, std::size_t index, const CopyPlan& plan);

CopiesDone CopyAll(const FoundFileList& found, const CopyPlan& plan, const CopyHooks& hooks,
                   const std::stop_token& stop, WorkerState& calls);

}  // namespace tessel
