// files/disk_kind.h: how many calls to keep in flight on a disk, from what the system says of
// it (os::DiskFacts). Several on a share, where each call waits for the network and several
// wait as long as one, and on a solid-state disk, which serves several reads at once; few on a
// spinning disk, whose heads would seek between the reads of files side by side.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files/os/file_system.h"

namespace tessel {

inline constexpr std::size_t RemoteCalls = 16;
inline constexpr std::size_t SolidStateCalls = 4;
inline constexpr std::size_t SpinningCalls = 2;
// The most the command takes (--jobs): more threads than that only wait for each other.
inline constexpr std::size_t MostCalls = 64;

std::size_t CallsInFlight(const os::DiskFacts& facts);

// Whether a Linux file system type (statfs f_type) is a network's: NFS, SMB/CIFS, AFS, Ceph,
// 9p, and FUSE (sshfs, rclone mounts, smbnetfs: whatever it is, it is rarely a local disk).
bool IsRemoteFileSystem(std::uint64_t type);

}  // namespace tessel
