// How many calls a run keeps in flight, from what the system says of the source's disk.
#include "files/disk_kind.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tessel {
namespace {

TEST(DiskKind, CallsInFlightFollowWhatTheDiskIs) {
    const struct {
        const char* what;
        os::DiskFacts facts;
        std::size_t calls;
    } cases[] = {
        {"a share", {true, std::nullopt}, 16},
        {"a share on whatever it lies", {true, true}, 16},
        {"a solid-state disk", {false, false}, 4},
        {"a spinning disk", {false, true}, 2},
        {"a disk that says nothing", {false, std::nullopt}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CallsInFlight(c.facts), c.calls);
    }
}

TEST(DiskKind, NetworkFileSystemsByTheirType) {
    const struct {
        std::uint64_t type;
        bool remote;
    } cases[] = {
        {0x6969, true},       // NFS
        {0xFF534D42, true},   // CIFS
        {0xFE534D42, true},   // SMB2
        {0x65735546, true},   // FUSE: sshfs, rclone
        {0x01021997, true},   // 9p
        {0xEF53, false},      // ext2/3/4
        {0x01021994, false},  // tmpfs
        {0x9123683E, false},  // btrfs
        {0x4D44, false},      // FAT
        {0x5346544E, false},  // NTFS (ntfs-3g reports FUSE; the kernel's ntfs3 this)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(IsRemoteFileSystem(c.type), c.remote);
    }
}

TEST(DiskKind, ThisMachinesFoldersCanBeAsked) {
    // Whatever the disk, asking never fails: a folder that is not there is asked as well.
    test::TempFolder temp;
    EXPECT_GE(CallsInFlight(os::DiskFactsOf(temp.Path())), 2u);
    EXPECT_GE(CallsInFlight(os::DiskFactsOf(temp / "missing/folder")), 2u);
}

}  // namespace
}  // namespace tessel
