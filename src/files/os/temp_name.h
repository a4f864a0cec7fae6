// files/os/temp_name.h: names for the temporary file of a copy, chosen so that the copy
// never fails for its temporary file alone. Portable; used by both file-system seams.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::os {

// A name for the temporary file of a copy to `targetName`, in the target's own folder. It
// has at most as many characters as `targetName` (and at most 16), all ASCII, so it takes
// no more bytes and no more UTF-16 units than the target's name: wherever the target fits
// the platform's limits (the path limit, the name limit) the temporary name fits too.
// Never "." or "..", never `targetName` itself (ASCII case ignored, as Windows compares).
// `lead` starts names of two characters or more ('.' hides them on POSIX); `seed` picks
// one of many: a caller whose name is taken asks again with another seed. Empty only for
// an empty `targetName`.
std::string TemporaryName(std::string_view targetName, std::uint64_t seed, char lead);

// How many names a copy tries before it gives up. A short target name has few temporary
// names (36 for one character), and a folder that holds them all takes no copy of that name.
inline constexpr int TemporaryNameAttempts = 200;

// A seed for TemporaryName that differs between calls and between processes.
std::uint64_t NextTemporarySeed();

}  // namespace tessel::os
