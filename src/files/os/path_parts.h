// files/os/path_parts.h: where a path's name begins, the one rule for every layer that splits
// a path (the seams, the planner, the duplicate count). Paths are UTF-8 on both platforms,
// where no byte of a longer character is below 0x80: the last separator byte is the last
// separator. Windows takes '/' as a separator as well as '\'.
#pragma once

#include <cstddef>
#include <string_view>

#include "files/os/file_system.h"

namespace tessel::os {

// The position of the last separator in `path`, or npos.
inline std::size_t LastSeparator(std::string_view path) {
    return path.find_last_of(PathSeparators);
}

// What follows the last separator: the whole path when there is none.
inline std::string_view NameOfPath(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// What comes before the last separator: "." when there is none, and the root itself for a
// name in the root ("/" on POSIX).
inline std::string_view FolderOfPath(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string_view::npos) return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

}  // namespace tessel::os
