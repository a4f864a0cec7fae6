#include "files/disk_kind.h"

#include <algorithm>
#include <iterator>

namespace tessel {

std::size_t CallsInFlight(const os::DiskFacts& facts) {
    if (facts.remote) return RemoteCalls;
    // A disk that does not say is taken for a spinning one: a few calls side by side cost it
    // little, and many would make it seek.
    if (!facts.seekPenalty || *facts.seekPenalty) return SpinningCalls;
    return SolidStateCalls;
}

bool IsRemoteFileSystem(std::uint64_t type) {
    constexpr std::uint64_t remote[] = {
        0x6969,      // NFS
        0x517B,      // SMB
        0xFF534D42,  // CIFS
        0xFE534D42,  // SMB2
        0x5346414F,  // AFS
        0x00C36400,  // Ceph
        0x01021997,  // 9p (v9fs)
        0x65735546,  // FUSE
        0x73757245,  // Coda
    };
    return std::find(std::begin(remote), std::end(remote), type) != std::end(remote);
}

}  // namespace tessel
