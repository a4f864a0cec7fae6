// files/os/copy_file_posix.h: the two ways the POSIX copy hides its data until it is
// complete. Only file_system_posix.cpp and its tests include this.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <stop_token>
#include <string>
#include <string_view>

#include "files/os/file_system.h"

namespace tessel::os::posix {

enum class TempKind {
    // An O_TMPFILE file without a name, linked in when complete: not even a crash leaves
    // anything behind. Falls back to Named where the file system has no O_TMPFILE (FAT,
    // NFS, some FUSE file systems) or /proc is missing.
    Anonymous,
    // A hidden name in the target's folder, renamed into place (renameat2 RENAME_NOREPLACE,
    // or link and unlink, for fail-if-exists) and removed on every failure.
    Named,
};

// StageCopy by the given way. `opened`, when given, is what the caller found at `source`
// before (stat): a source that is another file by the time it is opened is refused.
std::unique_ptr<StagedCopy> StageWith(TempKind kind, const std::string& source,
                                      const std::string& folder, std::string_view targetName,
                                      std::stop_token stop, CopyDurability durability,
                                      CopyResult& result, const struct stat* opened);

// CopyFileTo by the given way.
CopyResult CopyFileWith(TempKind kind, const std::string& source, const std::string& target,
                        bool failIfExists, std::stop_token stop,
                        CopyDurability durability = CopyDurability::Cached);

}  // namespace tessel::os::posix
