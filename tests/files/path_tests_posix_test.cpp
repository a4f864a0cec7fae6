// What Linux file types look like through the seam: the attribute words Windows would give.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "files/os/file_system.h"
#include "files/path_tests.h"
#include "support/test_support.h"

namespace tessel {
namespace {

TEST(PathTestsPosix, FileTypesBecomeAttributeWords) {
    TempFolder root;
    test::WriteSized(root / "plain.jpg", 10);
    test::WriteSized(root / "locked.jpg", 10);
    ::chmod((root / "locked.jpg").c_str(), 0444);
    test::MakeFolders(root / "folder");
    test::MakeFolders(root / "read-only");
    ::chmod((root / "read-only").c_str(), 0555);
    test::MakeFolders(root / ".hidden");
    test::WriteSized(root / ".hidden.jpg", 3);
    ASSERT_EQ(::symlink("folder", (root / "to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("plain.jpg", (root / "to-file.jpg").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (root / "dangling.jpg").c_str()), 0);
    ASSERT_EQ(::mkfifo((root / "pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("pipe.jpg", (root / "to-pipe.jpg").c_str()), 0);

    const struct {
        const char* name;
        std::uint32_t attributes;
        std::uint64_t size;
        bool file, folder;
    } cases[] = {
        {"plain.jpg", os::AttrNormal, 10, true, false},
        {"locked.jpg", os::AttrReadOnly, 10, true, false},
        {"folder", os::AttrDirectory, 0, false, true},
        {"read-only", os::AttrDirectory | os::AttrReadOnly, 0, false, true},
        {".hidden", os::AttrDirectory | os::AttrHidden, 0, false, true},
        {".hidden.jpg", os::AttrHidden, 3, true, false},
        {"to-folder", os::AttrDirectory | os::AttrReparsePoint, 0, false, true},
        {"to-file.jpg", os::AttrReparsePoint, 10, true, false},
        {"dangling.jpg", os::AttrReparsePoint, 0, true, false},
        {"pipe.jpg", os::AttrDevice, 0, true, false},
        {"to-pipe.jpg", os::AttrDevice | os::AttrReparsePoint, 0, true, false},
    };
    std::vector<os::DirEntry> listed;
    ASSERT_TRUE(os::ListFolder(root.Path(), listed));
    EXPECT_EQ(listed.size(), std::size(cases));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        os::DirEntry entry;
        ASSERT_TRUE(QueryEntry(root / c.name, entry));
        EXPECT_EQ(entry.attributes, c.attributes);
        EXPECT_EQ(entry.size, c.size);
        EXPECT_EQ(FileExists(root / c.name), c.file);
        EXPECT_EQ(FolderExists(root / c.name), c.folder);
        // The listing says the same as the lookup.
        const auto it = std::find_if(listed.begin(), listed.end(),
                                     [&](const os::DirEntry& e) { return e.name == c.name; });
        ASSERT_NE(it, listed.end());
        EXPECT_EQ(it->attributes, c.attributes);
        EXPECT_EQ(it->size, c.size);
    }
}

TEST(PathTestsPosix, ListingKeepsTheFileSystemsOrderAndSkipsDots) {
    TempFolder root;
    for (const char* name : {"c.jpg", "a.jpg", "b", "z.png"}) test::WriteSized(root / name, 1);
    std::vector<os::DirEntry> listed;
    ASSERT_TRUE(os::ListFolder(root.Path(), listed));
    std::vector<std::string> names;
    for (const auto& e : listed) names.push_back(e.name);

    std::vector<std::string> expected;
    DIR* dir = ::opendir(root.Path().c_str());
    ASSERT_NE(dir, nullptr);
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") expected.push_back(name);
    }
    ::closedir(dir);
    EXPECT_EQ(names, expected);
}

TEST(PathTestsPosix, ListingAMissingOrFileFolderFails) {
    TempFolder root;
    test::WriteSized(root / "a.jpg", 1);
    std::vector<os::DirEntry> listed{os::DirEntry{}};
    EXPECT_FALSE(os::ListFolder(root / "missing", listed));
    EXPECT_TRUE(listed.empty());
    EXPECT_FALSE(os::ListFolder(root / "a.jpg", listed));
}

}  // namespace
}  // namespace tessel
