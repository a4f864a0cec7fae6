// files/os/io_hold.h: a place inside the file system's calls where a test can hold the
// calling thread, as a disk that stops answering holds it, or look at what happens in which
// order: before a listed file is read to be measured, before each chunk a copy reads, before
// a copy takes its name, before a folder is flushed and before a file is removed (both seams
// call HoldIfAsked there), and before each block that two files are compared in. The program
// never sets a hold; without one a call costs one atomic load.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace tessel::os {

enum class IoStep {
    Measure,    // a file of a listing is about to be read for its size (offset 0)
    CopyChunk,  // a copy is about to read its source at `offset`
    Compare,    // two files are about to be compared at `offset`
    Hash,       // a file is about to be read whole to be hashed (offset: 0)
    Place,      // a staged copy is about to take the name `name` (offset: 0)
    Flush,      // the folder `name` is about to be flushed to the disk (offset: 0)
    Remove,     // the file `name` is about to be removed (offset: 0)
};

// Called on the thread that makes the call, with the name of the file (its last path
// component; for Place, Flush and Remove the whole path). Returning lets the call go on.
using IoHold = std::function<void(IoStep step, std::string_view name, std::uint64_t offset)>;

// Sets the process's hold; an empty one removes it. A thread already inside the old hold
// keeps it alive until it returns.
void SetIoHold(IoHold hold);

// For the seams: runs the hold, if one is set.
void HoldIfAsked(IoStep step, std::string_view name, std::uint64_t offset);

}  // namespace tessel::os
