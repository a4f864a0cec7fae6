// The search phase against what only Linux can set up here: links, loops, unreadable and
// very deep folders, special files and huge sparse files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/folder_scan.h"
#include "files/os/file_system.h"
#include "posix_helpers.h"
#include "scan_tree.h"
#include "support/hold_fs_posix.h"
#include "support/test_support.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

TEST(FolderScanPosix, NeverFollowsFolderLinksSoLoopsEnd) {
    TempFolder root;
    test::WriteSized(root / "a/x.jpg", 1);
    test::WriteSized(root / "b/y.jpg", 2);
    ASSERT_EQ(::symlink("..", (root / "a/up").c_str()), 0);
    ASSERT_EQ(::symlink(".", (root / "a/self.jpg").c_str()), 0);
    ASSERT_EQ(::symlink((root / "b").c_str(), (root / "a/to-b").c_str()), 0);
    ASSERT_EQ(::symlink("x.jpg", (root / "a/link.jpg").c_str()), 0);

    const Scan scan = ScanTree(root.Path());
    // A link to a file is a file; links to folders are neither entered nor kept.
    EXPECT_THAT(scan.list.paths,
                UnorderedElementsAre(root / "a/x.jpg", root / "a/link.jpg", root / "b/y.jpg"));
    EXPECT_THAT(scan.lines, UnorderedElementsAre(root.Path(), root / "a", root / "b"));
}

TEST(FolderScanPosix, NamesThatAreNotUtf8AreKeptByTheirExtension) {
    // Linux names are bytes: a Latin-1 "café.jpg" has a lone E9 before its dot.
    TempFolder root;
    test::WriteSizedFiles(root, {{"caf\xE9.jpg", 3}, {"\xE3\x81.PNG", 4}, {"\xE3\x81.txt", 5}});
    FoundFileList list;
    ScanFolder(root.Path(), Images, list);
    EXPECT_THAT(list.paths, UnorderedElementsAre(root / "caf\xE9.jpg", root / "\xE3\x81.PNG"));
}

TEST(FolderScanPosix, AFolderSwappedForALinkAfterItsParentWasListedIsNotFollowed) {
    // The root is listed with both folders in it; as the first is entered, the second is
    // replaced by a link to a folder outside. Opening the second refuses the link itself.
    TempFolder root;
    test::WriteSizedFiles(root, {{"src/one/a.jpg", 1}, {"src/two/b.jpg", 1}, {"outside/c.jpg", 1}});
    std::string entered;
    ScanHooks hooks;
    hooks.folderEntered = [&](const std::string& folder) {
        if (folder == root / "src" || !entered.empty()) return;
        entered = folder;
        const std::string other = folder == root / "src/one" ? root / "src/two" : root / "src/one";
        ASSERT_EQ(::rename(other.c_str(), (root / "moved").c_str()), 0);
        ASSERT_EQ(::symlink((root / "outside").c_str(), other.c_str()), 0);
    };
    FoundFileList list;
    ScanFolder(root / "src", Images, list, hooks);
    ASSERT_FALSE(entered.empty());
    EXPECT_THAT(list.paths,
                ElementsAre(entered + (entered.ends_with("one") ? "/a.jpg" : "/b.jpg")));
}

TEST(FolderScanPosix, AFileThatCannotBeReadIsFoundAndMeasuresOne) {
    TempFolder root;
    test::WriteBytes(root / "open.png", test::TinyPng(40, 40));
    test::WriteBytes(root / "closed.png", test::TinyPng(40, 40));
    ::chmod(root.Path().c_str(), 0755);
    ::chmod((root / "open.png").c_str(), 0644);
    ::chmod((root / "closed.png").c_str(), 0600);
    const int seen = test::RunAsNobody([&] {
        FoundFileList list;
        ScanFolder(root.Path(), Images, list);
        int bits = list.Count() == 2 ? 0 : 8;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            if (list.paths[i] == root / "open.png" && list.squareSides[i] == 40) bits |= 1;
            if (list.paths[i] == root / "closed.png" && list.squareSides[i] == 1) bits |= 2;
            if (list.sizes[i] != test::TinyPng(40, 40).size()) bits |= 4;
        }
        return bits;
    });
    EXPECT_EQ(seen, 1 | 2);
}

TEST(FolderScanPosix, ALinkAsTheRootIsSearched) {
    TempFolder root;
    test::WriteSized(root / "real/x.jpg", 1);
    ASSERT_EQ(::symlink("real", (root / "link").c_str()), 0);
    FoundFileList list;
    EXPECT_EQ(ScanFolder(root / "link", Images, list), 1u);
}

TEST(FolderScanPosix, HiddenAndReadOnlyFoldersAreSearched) {
    TempFolder root;
    test::WriteSized(root / ".hidden/a.jpg", 1);
    test::WriteSized(root / "locked/b.jpg", 1);
    ::chmod((root / "locked").c_str(), 0555);
    FoundFileList list;
    EXPECT_EQ(ScanFolder(root.Path(), Images, list), 2u);
}

TEST(FolderScanPosix, SpecialFilesAreNeverKept) {
    TempFolder root;
    ASSERT_EQ(::mkfifo((root / "pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("pipe.jpg", (root / "to-pipe.jpg").c_str()), 0);
    test::WriteSized(root / "real.jpg", 1);
    FoundFileList list;
    EXPECT_EQ(ScanFolder(root.Path(), Images, list), 1u);
    EXPECT_THAT(list.paths, ElementsAre(root / "real.jpg"));
}

TEST(FolderScanPosix, UnlistableFolderGivesNoLineAndTheRestGoesOn) {
    TempFolder root;
    test::WriteSizedFiles(
        root, {{"open/a.jpg", 1}, {"closed/b.jpg", 1}, {"closed/inner/c.jpg", 1}, {"d.jpg", 1}});
    ::chmod(root.Path().c_str(), 0755);
    ::chmod((root / "open").c_str(), 0755);
    ::chmod((root / "closed").c_str(), 0700);

    // As another user: the scan's findings come back as the exit code, one bit each.
    const int seen = test::RunAsNobody([&] {
        const Scan scan = ScanTree(root.Path());
        int bits = 0;
        for (const auto& p : scan.list.paths) {
            if (p == root / "open/a.jpg") bits |= 1;
            if (p == root / "d.jpg") bits |= 2;
            if (p.find("closed") != std::string::npos) bits |= 4;
        }
        for (const auto& l : scan.lines) {
            if (l.find("closed") != std::string::npos) bits |= 8;
        }
        if (scan.lines.size() != 2) bits |= 16;
        return bits;
    });
    EXPECT_EQ(seen, 1 | 2);
}

TEST(FolderScanPosix, AFolderWhoseListingBreaksOffIsNoEmptyFolder) {
    // The disk fails while "bad" is read: it opens, but its listing ends in EIO, which
    // readdir reports with the same null as the end of a folder. Told apart, the folder
    // contributes nothing (no files, no line in the trail) and the scan goes on with "c",
    // which the mount lists after it.
    std::string why;
    if (!test::HoldFs::Available(&why)) GTEST_SKIP() << why;
    test::HoldFs disk;
    for (const char* path :
         {"a/one.jpg", "bad/two.jpg", "bad/inner/three.jpg", "c/four.jpg", "root.jpg"}) {
        test::WriteSized(disk.Backing(path), 1);
    }
    ASSERT_TRUE(disk.Mounted());
    disk.FailListing("bad");

    std::vector<os::DirEntry> entries;
    EXPECT_FALSE(os::ListFolder(disk / "bad", entries));
    EXPECT_THAT(entries, IsEmpty());
    EXPECT_TRUE(os::ListFolder(disk / "c", entries));
    EXPECT_EQ(entries.size(), 1u);

    const Scan scan = ScanTree(disk.Path());
    EXPECT_THAT(scan.list.paths,
                ElementsAre(disk / "a/one.jpg", disk / "c/four.jpg", disk / "root.jpg"));
    EXPECT_THAT(scan.lines, ElementsAre(disk.Path(), disk / "a", disk / "c"));
}

TEST(FolderScanPosix, SkipsFoldersPastThePathLimit) {
    TempFolder root;
    const std::string level(200, 'd');
    // Descend by descriptors: the deepest levels have no path the kernel would take.
    int fd = ::open(root.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::string path = root.Path();
    std::string lastWithinLimit;
    std::size_t levels = 0;
    while (path.size() < os::MaxPath + 600) {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
        path += "/" + level;
        ++levels;
        const int file = ::openat(fd, "a.jpg", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(file, 0);
        ::close(file);
        if (path.size() + 1 <= os::MaxPath) lastWithinLimit = path + "/a.jpg";
    }
    ::close(fd);

    FoundFileList list;
    ScanFolder(root.Path(), Images, list);
    EXPECT_GT(list.Count(), 0u);
    EXPECT_LT(list.Count(), levels);
    EXPECT_THAT(list.paths, Contains(lastWithinLimit));
    for (const auto& p : list.paths) EXPECT_LE(p.size() - 6 + 1, os::MaxPath);  // folder + "/a.jpg"

    const int top = ::open(root.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    test::RemoveTreeAt(top, level.c_str());
    ::close(top);
}

// Here, not under Wine too: there each of the files takes milliseconds to write.
TEST(FolderScanPosix, HasNoLimitOnTheNumberOfFiles) {
    TempFolder root;
    constexpr int files = 4100;  // past the 4096 slots the tables once had
    for (int i = 0; i < files; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%04d.jpg", i);
        const int fd = ::open((root / name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "x", 1), 1);
        ::close(fd);
    }
    FoundFileList list;
    EXPECT_EQ(ScanFolder(root.Path(), Images, list), static_cast<std::size_t>(files));
    EXPECT_EQ(list.Count(), static_cast<std::size_t>(files));
    EXPECT_EQ(list.totalBytes, static_cast<std::uint64_t>(files));
}

TEST(FolderScanPosix, HugeFilesAddTheirFullSize) {
    TempFolder root;
    constexpr std::uint64_t fiveGiB = std::uint64_t{5} << 30;
    test::WriteSized(root / "small.jpg", 100);
    {
        const int fd = ::open((root / "huge.jpg").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(fiveGiB)), 0);  // sparse: no disk used
        ::close(fd);
    }
    FoundFileList list;
    ASSERT_EQ(ScanFolder(root.Path(), Images, list), 2u);
    EXPECT_EQ(list.totalBytes, fiveGiB + 100);
    EXPECT_THAT(list.sizes, Contains(fiveGiB));
}

}  // namespace
}  // namespace tessel
