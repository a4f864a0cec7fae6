// The copy under real faults, for both kinds of temporary file: a full disk, a stop from
// another thread, a source this user cannot read. Whatever happens, nothing is left under
// any name, and a complete copy keeps the time and permission bits.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "files/copy_planner.h"
#include "files/os/copy_file_posix.h"
#include "files/os/file_system.h"
#include "posix_helpers.h"
#include "support/io_gate.h"
#include "support/test_support.h"

namespace tessel {
namespace {

using os::CopyResult;
using os::posix::CopyFileWith;
using os::posix::TempKind;

constexpr std::uint64_t MiB = std::uint64_t{1} << 20;

struct Kind {
    const char* name;
    TempKind kind;
};
constexpr Kind Kinds[] = {{"anonymous", TempKind::Anonymous}, {"named", TempKind::Named}};

// A file size limit for this process, as a full disk would set one, and SIGXFSZ ignored so
// that the write fails with EFBIG instead of ending the process. Both undone at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, savedSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    sighandler_t savedSignal_;
};

// A sparse file of `size` bytes with 1 MiB of data ('d') at each of `offsets`.
void WriteSparseWithData(const std::string& path, std::uint64_t size,
                         std::initializer_list<std::uint64_t> offsets) {
    test::WriteSparse(path, size);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::vector<char> data(MiB, 'd');
    for (const std::uint64_t offset : offsets)
        ASSERT_EQ(::pwrite(fd, data.data(), data.size(), static_cast<off_t>(offset)),
                  static_cast<ssize_t>(data.size()));
    ::close(fd);
}

// Bytes this process has read and written so far, as /proc/self/io counts them (page cache
// included, and copy_file_range too).
struct IoCounts {
    std::uint64_t read = 0;
    std::uint64_t written = 0;
};
IoCounts Io() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    IoCounts counts;
    while (io >> key >> value) {
        if (key == "rchar:") counts.read = value;
        if (key == "wchar:") counts.written = value;
    }
    return counts;
}
std::uint64_t BytesRead() {
    return Io().read;
}

// The change time of everything under `folder`, by path: a file written or replaced, or a
// name added or removed in a folder, changes one of them.
std::map<std::string, std::int64_t> ChangeTimes(const std::string& folder) {
    std::map<std::string, std::int64_t> times;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        struct stat info;
        if (::lstat(it->path().c_str(), &info) == 0) {
            times[it->path().string()] =
                info.st_ctim.tv_sec * 1'000'000'000LL + info.st_ctim.tv_nsec;
        }
    }
    struct stat top;
    if (::stat(folder.c_str(), &top) == 0) {
        times[folder] = top.st_ctim.tv_sec * 1'000'000'000LL + top.st_ctim.tv_nsec;
    }
    return times;
}

// Makes the folders for a path of exactly `length` bytes under `root`, in levels of at most
// 200 bytes, and returns it.
std::string FolderOfLength(const std::string& root, std::size_t length) {
    std::string path = root;
    while (path.size() < length) {
        const std::size_t left = length - path.size() - 1;  // after the next "/"
        std::size_t level = std::min<std::size_t>(left, 200);
        if (left - level == 1) --level;  // the next level needs "/" and one character
        path += "/" + std::string(level, 'd');
        EXPECT_EQ(::mkdir(path.c_str(), 0755), 0) << path.size();
    }
    return path;
}

TEST(CopyFilePosix, FullDiskMidCopyLeavesNothing) {
    for (const Kind& k : Kinds) {
        SCOPED_TRACE(k.name);
        TempFolder root;
        // Dense files go through copy_file_range, sparse ones through read and write.
        test::WriteSized(root / "dense.jpg", 8 * MiB, 'b');
        WriteSparseWithData(root / "sparse.jpg", 12 * MiB, {0, 2 * MiB, 5 * MiB, 9 * MiB});
        test::WriteText(root / "dest/old.jpg", "old");
        for (const char* source : {"dense.jpg", "sparse.jpg"}) {
            for (const bool failIfExists : {true, false}) {
                for (const char* name : {"new.jpg", "old.jpg"}) {
                    SCOPED_TRACE(std::string(source) + " to " + name);
                    CopyResult result;
                    {
                        const FileSizeLimit limit(3 * MiB);
                        result = CopyFileWith(k.kind, root / source, root / "dest" + "/" + name,
                                              failIfExists, {});
                    }
                    EXPECT_NE(result, CopyResult::Copied);
                    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("old.jpg"));
                    EXPECT_EQ(test::ReadBytes(root / "dest/old.jpg").size(), 3u);
                }
            }
        }
    }
}

TEST(CopyFilePosix, AFileExactlyAtTheSizeLimitIsCopiedWhole) {
    // copy_file_range refuses even an empty step once the target's end sits at the limit.
    for (const Kind& k : Kinds) {
        SCOPED_TRACE(k.name);
        TempFolder root;
        test::WriteSized(root / "dense.jpg", 3 * MiB, 'd');
        WriteSparseWithData(root / "sparse.jpg", 3 * MiB, {0, 2 * MiB});
        test::MakeFolders(root / "dest");
        for (const char* source : {"dense.jpg", "sparse.jpg"}) {
            SCOPED_TRACE(source);
            CopyResult result;
            {
                const FileSizeLimit limit(3 * MiB);
                result = CopyFileWith(k.kind, root / source, root / "dest/" + source, true, {});
            }
            EXPECT_EQ(result, CopyResult::Copied);
            EXPECT_EQ(test::ReadBytes(root / "dest/" + source), test::ReadBytes(root / source));
        }
    }
}

TEST(CopyFilePosix, FullDiskFailsThePlannerToo) {
    TempFolder root;
    test::WriteSized(root / "src/a.jpg", 4 * MiB, 'a');
    test::MakeFolders(root / "dest");
    for (const DuplicateMode mode :
         {DuplicateMode::Numbered, DuplicateMode::Overwrite, DuplicateMode::SeparateFolder}) {
        const FileSizeLimit limit(MiB);
        EXPECT_FALSE(CopyFoundFile(root / "src/a.jpg", root / "dest", mode).Saved());
    }
    EXPECT_THAT(NamesIn(root / "dest"), IsEmpty());
}

TEST(CopyFilePosix, StopFromAnotherThreadEndsTheCopyAndLeavesNothing) {
    TempFolder root;
    constexpr std::uint64_t size = std::uint64_t{5} << 30;
    test::WriteSparse(root / "huge.jpg", size);
    test::MakeFolders(root / "dest");
    for (const Kind& k : Kinds) {
        SCOPED_TRACE(k.name);
        std::stop_source stopper;
        // The copy waits 16 MiB into the file until the stop comes: the stop lands inside
        // it on every machine.
        test::IoGate gate(os::IoStep::CopyChunk, "huge.jpg", 16 * MiB);
        gate.ReleaseOnStop(stopper.get_token());
        bool held = false;
        std::uint64_t atStop = 0;
        std::jthread watcher([&] {
            held = gate.WaitUntilHeld();
            atStop = BytesRead();
            stopper.request_stop();
        });
        const CopyResult result = CopyFileWith(k.kind, root / "huge.jpg", root / "dest/huge.jpg",
                                               true, stopper.get_token());
        const std::uint64_t atEnd = BytesRead();
        watcher.join();
        EXPECT_TRUE(held) << "the copy never reached 16 MiB";
        EXPECT_EQ(result, CopyResult::Stopped);
        EXPECT_THAT(NamesIn(root / "dest"), IsEmpty());
        // It ended within a few chunks of the request, not after reading 5 GiB.
        EXPECT_LT(atEnd - atStop, 64 * MiB);
    }
}

TEST(CopyFilePosix, WhatMayNotBeReadOrWrittenLeavesNothing) {
    const struct {
        const char* what;
        mode_t source;  // the permission bits, for a copy made as nobody
        mode_t dest;
        bool failIfExists;
    } cases[] = {
        {"an unreadable source", 0600, 0777, true},
        {"an unwritable destination", 0644, 0755, false},
    };
    for (const auto& c : cases) {
        for (const Kind& k : Kinds) {
            SCOPED_TRACE(c.what);
            SCOPED_TRACE(k.name);
            TempFolder root;
            test::WriteSized(root / "a.jpg", 1000);
            test::MakeFolders(root / "dest");
            ::chmod(root.Path().c_str(), 0755);
            ::chmod((root / "a.jpg").c_str(), c.source);
            ::chmod((root / "dest").c_str(), c.dest);
            const int result = test::RunAsNobody([&] {
                return static_cast<int>(
                    CopyFileWith(k.kind, root / "a.jpg", root / "dest/a.jpg", c.failIfExists, {}));
            });
            EXPECT_EQ(result, static_cast<int>(CopyResult::Failed));
            EXPECT_THAT(NamesIn(root / "dest"), IsEmpty());
        }
    }
}

TEST(CopyFilePosix, KeepsTimeAndPermissionBitsAndHoles) {
    for (const Kind& k : Kinds) {
        for (const bool failIfExists : {true, false}) {
            SCOPED_TRACE(k.name);
            SCOPED_TRACE(failIfExists);
            TempFolder root;
            test::WriteSized(root / "a.jpg", 3 * MiB + 1, 'a');
            const std::string sparse = root / "sparse.jpg";
            WriteSparseWithData(sparse, 16 * MiB, {MiB + 7, 10 * MiB});
            ::chmod((root / "a.jpg").c_str(), 04751);
            const timespec times[2] = {{1000000000, 0}, {1234567890, 123456789}};
            ASSERT_EQ(::utimensat(AT_FDCWD, (root / "a.jpg").c_str(), times, 0), 0);
            test::MakeFolders(root / "dest");

            ASSERT_EQ(CopyFileWith(k.kind, root / "a.jpg", root / "dest/a.jpg", failIfExists, {}),
                      CopyResult::Copied);
            ASSERT_EQ(CopyFileWith(k.kind, sparse, root / "dest/sparse.jpg", failIfExists, {}),
                      CopyResult::Copied);
            struct stat copy;
            ASSERT_EQ(::stat((root / "dest/a.jpg").c_str(), &copy), 0);
            EXPECT_EQ(copy.st_mtim.tv_sec, 1234567890);
            EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
            EXPECT_EQ(copy.st_mode & 07777, 0751u);  // no set-user-id on a copy
            ASSERT_EQ(::stat((root / "dest/sparse.jpg").c_str(), &copy), 0);
            EXPECT_EQ(static_cast<std::uint64_t>(copy.st_size), 16 * MiB);
            EXPECT_LT(static_cast<std::uint64_t>(copy.st_blocks) * 512, 4 * MiB);
            EXPECT_TRUE(test::ReadBytes(root / "dest/sparse.jpg") == test::ReadBytes(sparse));
            EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", "sparse.jpg"));
        }
    }
}

TEST(CopyFilePosix, BothKindsRefuseTakenNamesAndReplaceOnlyFiles) {
    for (const Kind& k : Kinds) {
        SCOPED_TRACE(k.name);
        TempFolder root;
        test::WriteText(root / "new.jpg", "new");
        test::WriteText(root / "dest/a.jpg", "old");
        test::MakeFolders(root / "dest/folder.jpg");
        EXPECT_EQ(CopyFileWith(k.kind, root / "new.jpg", root / "dest/a.jpg", true, {}),
                  CopyResult::TargetExists);
        EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"), std::vector<std::uint8_t>({'o', 'l', 'd'}));
        EXPECT_EQ(CopyFileWith(k.kind, root / "new.jpg", root / "dest/folder.jpg", false, {}),
                  CopyResult::Failed);
        EXPECT_EQ(CopyFileWith(k.kind, root / "new.jpg", root / "dest/a.jpg", false, {}),
                  CopyResult::Copied);
        EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"), std::vector<std::uint8_t>({'n', 'e', 'w'}));
        EXPECT_EQ(CopyFileWith(k.kind, root / "new.jpg", root / "dest/b.jpg", true, {}),
                  CopyResult::Copied);
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", "b.jpg", "folder.jpg/"));
    }
}

TEST(CopyFilePosix, SpecialFilesAreNotCopied) {
    TempFolder root;
    ASSERT_EQ(::mkfifo((root / "pipe.jpg").c_str(), 0644), 0);
    test::MakeFolders(root / "dest");
    // Would block for ever waiting for a writer if it were opened plainly.
    EXPECT_EQ(os::CopyFileTo(root / "pipe.jpg", root / "dest/pipe.jpg", true), CopyResult::Failed);
    EXPECT_THAT(NamesIn(root / "dest"), IsEmpty());
}

TEST(CopyFilePosix, AnotherNameOfTheSourceIsNotReplaced) {
    for (const Kind& k : Kinds) {
        SCOPED_TRACE(k.name);
        TempFolder root;
        test::WriteText(root / "a.jpg", "data");
        test::MakeFolders(root / "dest");
        ASSERT_EQ(::link((root / "a.jpg").c_str(), (root / "dest/b.jpg").c_str()), 0);
        EXPECT_EQ(CopyFileWith(k.kind, root / "a.jpg", root / "dest/b.jpg", false, {}),
                  CopyResult::SameFile);
        struct stat info;
        ASSERT_EQ(::stat((root / "a.jpg").c_str(), &info), 0);
        EXPECT_EQ(info.st_nlink, 2u);  // still one file under two names
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("b.jpg"));
    }
}

TEST(CopyFilePosix, TargetsAtThePathAndNameLimitsAreCopied) {
    // The temporary name is never longer than the target's, so a target that fits the
    // limits is never refused for it: a whole path of PATH_MAX - 1 bytes, a name of
    // NAME_MAX bytes, and both at once.
    const std::string longName = std::string(NAME_MAX - 4, 'n') + ".jpg";
    const struct {
        const char* what;
        std::size_t folderLength;  // 0: the temporary folder itself
        std::string name;
    } cases[] = {
        {"path of PATH_MAX - 1 bytes", PATH_MAX - 1 - 6, "a.jpg"},
        {"one-character name at PATH_MAX - 1", PATH_MAX - 1 - 2, "a"},
        {"name of NAME_MAX bytes", 0, longName},
        {"both", PATH_MAX - 1 - 1 - longName.size(), longName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        test::WriteText(root / "source.jpg", "picture");
        const std::string folder =
            c.folderLength ? FolderOfLength(root.Path(), c.folderLength) : root.Path();
        const std::string target = folder + "/" + c.name;
        ASSERT_LE(target.size(), std::size_t{PATH_MAX} - 1);
        for (const Kind& k : Kinds) {
            for (const bool failIfExists : {true, false}) {
                SCOPED_TRACE(k.name);
                SCOPED_TRACE(failIfExists);
                ::unlink(target.c_str());
                EXPECT_EQ(CopyFileWith(k.kind, root / "source.jpg", target, failIfExists, {}),
                          CopyResult::Copied);
                // Replacing goes through a temporary name beside the target as well.
                EXPECT_EQ(CopyFileWith(k.kind, root / "source.jpg", target, false, {}),
                          CopyResult::Copied);
                EXPECT_EQ(test::ReadBytes(target).size(), 7u);
                EXPECT_THAT(NamesIn(folder), ::testing::Contains(c.name));
                EXPECT_EQ(NamesIn(folder).size(), c.folderLength ? 1u : 2u);
            }
        }
    }
}

TEST(CopyPlannerPosix, ARerunOverAnUnchangedDestinationReadsAndWritesNothing) {
    // Same name and same size is settled before any data is read: the second run reads no
    // file and writes nothing, in the destination and inside the duplicates folder alike.
    TempFolder root;
    constexpr std::uint64_t KiB = 1024;
    test::WriteSized(root / "src/a/x.jpg", 300 * KiB, 'a');
    test::WriteSized(root / "src/b/x.jpg", 300 * KiB, 'b');  // same name, same size
    test::WriteSized(root / "src/a/y.png", 200 * KiB, 'y');
    test::WriteSized(root / "src/b/z.gif", 100 * KiB, 'z');
    const std::vector<std::string> found = {root / "src/a/x.jpg", root / "src/b/x.jpg",
                                            root / "src/a/y.png", root / "src/b/z.gif"};
    // In the separate mode a taken name is compared with the file: the three that stand under
    // their own names are read whole on both sides, and src/b/x.jpg, which differs from the
    // first byte, no further than the first block of a comparison (64 KiB). Inside the
    // duplicates folder the same-name-same-size rule reads nothing.
    const struct {
        DuplicateMode mode;
        std::uint64_t read;  // at most
    } cases[] = {{DuplicateMode::Numbered, 0},
                 {DuplicateMode::SeparateFolder, 2 * (300 + 200 + 100) * KiB + 2 * 64 * KiB}};
    for (const auto& c : cases) {
        const DuplicateMode mode = c.mode;
        SCOPED_TRACE(static_cast<int>(mode));
        TempFolder destination;
        for (const std::string& file : found) CopyFoundFile(file, destination.Path(), mode);
        const auto before = ChangeTimes(destination.Path());

        const IoCounts start = Io();
        const IoCounts looked = Io();  // what one look at the counters costs by itself
        int saved = 0;
        for (const std::string& file : found) {
            saved += CopyFoundFile(file, destination.Path(), mode).Saved() ? 1 : 0;
        }
        const IoCounts end = Io();
        EXPECT_EQ(saved, 0);
        EXPECT_LE(end.read - looked.read, looked.read - start.read + c.read);
        EXPECT_EQ(end.written, start.written);
        EXPECT_EQ(ChangeTimes(destination.Path()), before);
    }
}

TEST(CopyPlannerPosix, ComparesFullSizes) {
    TempFolder root;
    // Sizes 4 GiB apart: equal in their low 32 bits, still different files.
    test::MakeFolders(root / "dest");
    test::WriteSparse(root / "dest/a.jpg", (std::uint64_t{4} << 30) + 10);
    test::WriteSized(root / "src/a.jpg", 10);
    EXPECT_TRUE(CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a(1).jpg", "a.jpg"));
}

}  // namespace
}  // namespace tessel
