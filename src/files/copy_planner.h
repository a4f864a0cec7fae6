// files/copy_planner.h: copies one found file into the destination folder and settles
// name collisions: numbered names, overwriting, or the duplicates sub-folder. A copy keeps
// its name unless the name is taken. Keeps no state: the destination tree is the state.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>

namespace tessel {

// The job's duplicate handling, stored in its options word under the mask 2 | 4 | 8.
enum class DuplicateMode : std::uint32_t { Numbered = 2, Overwrite = 4, SeparateFolder = 8 };

// What became of one found file.
enum class CopyOutcome {
    Saved,            // a copy now stands under `path`
    SameNameAndSize,  // `path`, the plain name, holds a file of the same size: nothing written
    SameContent,      // `path` holds the same bytes already: nothing written
    // What stands at `path` stays: a read-only (Windows: also hidden or system) file that
    // overwriting may not replace, the source itself, or, where nothing is replaced, a folder
    // of that name or a file made there between the planner's look and its copy.
    Refused,
    Failed,   // the source could not be read, the disk is full, ...
    Stopped,  // the stop was requested: nothing left behind
};

struct CopyReport {
    CopyReport(CopyOutcome outcome = CopyOutcome::Failed, std::string path = {},
               std::string reason = {})
        : outcome(outcome), path(std::move(path)), reason(std::move(reason)) {}

    CopyOutcome outcome;
    // Saved, Refused, Failed, Stopped: the target of the copy. SameNameAndSize, SameContent:
    // the file already there. Empty when the mode copies nothing.
    std::string path;
    // Refused, Failed: why, in a line of UTF-8 (for Failed the system's own text).
    std::string reason;

    bool Saved() const { return outcome == CopyOutcome::Saved; }
};

// Copies `source` into `destinationFolder` by the rule of `mode` (any other value copies
// nothing and fails). A stopped or failed copy leaves nothing.
// `sourceSize` is the size the scan found, when known: the same-size test then needs no
// look-up of the source (the worker's copies of a re-run cost one look-up each).
CopyReport CopyFoundFile(const std::string& source, const std::string& destinationFolder,
                         DuplicateMode mode, std::stop_token stop = {},
                         std::optional<std::uint64_t> sourceSize = std::nullopt);

// targetBase + extension, or targetBase(n)extension for the first n whose name holds no file
// when that name is taken by a file of another size; never replaces a file. Before a number
// is taken, the numbered names on the way are compared with the source: one that holds the
// same bytes means the file is there already.
CopyReport CopyNumbered(const std::string& source, const std::string& targetBase,
                        const std::string& extension, std::stop_token stop = {},
                        std::optional<std::uint64_t> sourceSize = std::nullopt);
// targetBase + extension, replacing a file of that name.
CopyReport CopyOverwrite(const std::string& source, const std::string& targetBase,
                         const std::string& extension, std::stop_token stop = {});
// destination + name, or, when the name holds a file with other bytes, CopyNumbered into the
// duplicates folder.
CopyReport CopySeparate(const std::string& source, const std::string& destinationFolder,
                        const std::string& base, const std::string& extension,
                        std::stop_token stop = {},
                        std::optional<std::uint64_t> sourceSize = std::nullopt);

}  // namespace tessel
