// On Linux the filter trusts only d_type DT_REG: links and FIFOs are still listed, so the
// scan keeps refusing to follow or open them.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/os/file_system.h"
#include "support/test_support.h"

namespace tessel {
namespace {

TEST(ListFolderFilterPosix, KeepsLinksAndDevicesWhateverTheirName) {
    TempFolder root;
    test::WriteSized(root / "plain.txt", 1);
    test::MakeFolders(root / "folder");
    ASSERT_EQ(::symlink("folder", (root / "to-folder.txt").c_str()), 0);
    ASSERT_EQ(::symlink("plain.txt", (root / "to-file.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((root / "pipe.txt").c_str(), 0644), 0);
    std::vector<os::DirEntry> entries;
    ASSERT_TRUE(os::ListFolder(root.Path(), entries, [](std::string_view) { return false; }));
    std::vector<std::string> names;
    for (const os::DirEntry& e : entries) names.push_back(e.name);
    EXPECT_THAT(names, UnorderedElementsAre("folder", "to-folder.txt", "to-file.txt", "pipe.txt"));
}

}  // namespace
}  // namespace tessel
