// files/os/long_path.h: the form in which Windows' wide calls take a path longer than
// MAX_PATH. Pure, so that it is tested on every host; the Windows seam applies it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel::os {

// From this length on (in UTF-16 units) a path gets the long form: MAX_PATH less the 12
// that CreateDirectoryW keeps free for an 8.3 name, the shortest of the calls' limits.
inline constexpr std::size_t LongPathFrom = 260 - 12;

// `full`, a fully qualified path as GetFullPathNameW gives it, in the long form the wide
// calls take up to 32,767 characters: "\\?\" before a drive path ("\\?\C:\a"), "\\?\UNC\"
// for a share ("\\server\share\a" becomes "\\?\UNC\server\share\a"). A path that has the
// "\\?\" or "\\.\" prefix already is left as it is. The calls take such a path literally, so
// it must hold no "/", "." or ".." (GetFullPathNameW has removed them).
std::u16string LongPathForm(std::u16string_view full);

}  // namespace tessel::os
