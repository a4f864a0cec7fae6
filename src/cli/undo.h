// cli/undo.h: tessel --undo=REPORT, the way back from a run: what the run's report says it
// did is put back as it was, last record first, so that numbered names come back in order.
// - A `saved` copy whose source still stands is removed, but only while it holds the source's
//   bytes (compared); otherwise it is kept, and the undo says why.
// - A `saved` copy whose source is gone (a move) is moved back to the source's path, the
//   folders on the way made again; nothing there is ever replaced. Across file systems it is
//   copied back, flushed to the disk, and only then removed.
// - A folder the run made (`created`) is removed when the undo leaves it empty.
// - Every other record changes nothing. An undo never removes the only copy of any bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cli/command_line.h"

namespace tessel::cli {

// What the undo did, counted by its outcomes.
struct UndoCounts {
    std::uint64_t removed = 0;
    std::uint64_t movedBack = 0;
    std::uint64_t kept = 0;     // a copy that stays as the run made it
    std::uint64_t absent = 0;   // no copy stands there any more
    std::uint64_t folders = 0;  // folders of the run's removed
    bool allUndone = true;      // nothing was left that could not be put back
};

// The whole undo as `command` asks (command.undo names the report); the exit code.
int Undo(const CommandLine& command);

}  // namespace tessel::cli
