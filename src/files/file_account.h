// files/file_account.h: what became of one found file, in the one vocabulary that the copy
// planner decides in, the run tells in, and the command's report writes: its outcome, the
// word a report gives it, and the file and reason that go with it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel {

enum class Outcome {
    Saved,            // a copy stands whole under its final name
    SameNameAndSize,  // the plain name holds a file of its size: not copied
    SameContent,      // its bytes stand in the destination already: not copied
    BelowBound,       // the image is not above the run's bound: not copied
    Failed,           // no copy stands (one that was made and differed is removed)
    NotReached,       // a dry run, or a run that ended before the file: nothing was done
    Stopped,          // the stop came first: nothing is left behind, and nothing is told
};

// The OUTCOME word of a report ("saved", "same-name-size", ...). Stopped gives "stopped",
// the word of the record that ends the report of a run that did not finish.
std::string_view OutcomeWord(Outcome outcome);

// Whether the file was taken up by the copies, as the front ends count files done: every
// outcome but BelowBound, NotReached and Stopped.
bool WasHandled(Outcome outcome);

struct FileAccount {
    std::size_t index = 0;  // in the found-file list
    Outcome outcome = Outcome::Failed;
    // Saved: the copy; SameNameAndSize, SameContent: the file already there; Failed: the name
    // the copy was meant for, when one was chosen.
    std::string destination;
    // Failed: why (the system's own words where the system said no). Saved: what did not
    // follow the copy (the source that stays after a move, a verification left undone, the
    // file it replaced).
    std::string reason;
    // A folder made for this file's copy (the duplicates folder, made at its first collision).
    std::string madeFolder;
    // Saved by overwriting: the copy took the place of a file that stood under its name.
    bool replaced = false;

    bool Saved() const { return outcome == Outcome::Saved; }
};

}  // namespace tessel
