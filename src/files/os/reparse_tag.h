// files/os/reparse_tag.h: which of Windows' reparse points on a file are links. Portable, so
// that the rule is tested on every host; the Windows seam applies it to the find data.
#pragma once

#include <cstdint>

namespace tessel::os {

inline constexpr std::uint32_t ReparseTagMountPoint = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT
inline constexpr std::uint32_t ReparseTagSymlink = 0xA000000C;     // IO_REPARSE_TAG_SYMLINK

// Whether an entry with these attribute bits (Windows' own) and this reparse tag (the find
// data's dwReserved0, which Windows fills only for a reparse point) is a link to a file, one
// that opening the entry follows to wherever it points: a symbolic link, or a junction, which
// is made for folders but a file may carry one. A file's other reparse points are the file
// itself (deduplicated, a cloud placeholder, compressed by WOF): those are no links. Nor is a
// WSL link, which the wide calls cannot open at all.
constexpr bool IsFileLink(std::uint32_t attributes, std::uint32_t reparseTag) {
    constexpr std::uint32_t directory = 0x10, reparsePoint = 0x400;
    if ((attributes & (directory | reparsePoint)) != reparsePoint) return false;
    return reparseTag == ReparseTagSymlink || reparseTag == ReparseTagMountPoint;
}

}  // namespace tessel::os
