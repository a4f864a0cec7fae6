// files/os/io_hold.h: a place inside the file system's calls where a test can hold the
// calling thread, as a disk that stops answering holds it: before a listed file is read to
// be measured, before each chunk a copy reads (both seams call HoldIfAsked there), and before
// each block the copy planner compares. The program never sets a hold; without one a call
// costs one atomic load.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace tessel::os {

enum class IoStep {
    Measure,    // a file of a listing is about to be read for its size (offset 0)
    CopyChunk,  // a copy is about to read its source at `offset`
    Compare,    // the planner is about to compare a found file with a copy at `offset`
};

// Called on the thread that makes the call, with the name of the file (its last path
// component). Returning lets the call go on.
using IoHold = std::function<void(IoStep step, std::string_view name, std::uint64_t offset)>;

// Sets the process's hold; an empty one removes it. A thread already inside the old hold
// keeps it alive until it returns.
void SetIoHold(IoHold hold);

// For the seams: runs the hold, if one is set.
void HoldIfAsked(IoStep step, std::string_view name, std::uint64_t offset);

}  // namespace tessel::os
