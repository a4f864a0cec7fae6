// The listing's name filter: it may only leave out plain files, never what the scan must
// look at more closely (folders, links, devices).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/os/file_system.h"
#include "support/test_support.h"

namespace tessel {
namespace {

std::vector<std::string> Listed(const std::string& folder, const os::NameFilter& wanted) {
    std::vector<os::DirEntry> entries;
    EXPECT_TRUE(os::ListFolder(folder, entries, wanted));
    std::vector<std::string> names;
    for (const os::DirEntry& e : entries) names.push_back(e.name);
    return names;
}

TEST(ListFolderFilter, LeavesOutRefusedPlainFilesOnly) {
    TempFolder root;
    test::WriteSizedFiles(root, {{"a.jpg", 3}, {"b.txt", 5}, {"c.TXT", 5}});
    test::MakeFolders(root / "d.txt");  // a folder whose name the filter refuses
    const auto jpegOnly = [](std::string_view name) { return name.ends_with(".jpg"); };
    EXPECT_THAT(Listed(root.Path(), jpegOnly), UnorderedElementsAre("a.jpg", "d.txt"));
    EXPECT_THAT(Listed(root.Path(), {}), UnorderedElementsAre("a.jpg", "b.txt", "c.TXT", "d.txt"));

    // What is kept is described in full, as without the filter.
    std::vector<os::DirEntry> entries;
    ASSERT_TRUE(os::ListFolder(root.Path(), entries, jpegOnly));
    for (const os::DirEntry& e : entries) {
        if (e.name == "a.jpg") {
            EXPECT_EQ(e.size, 3u);
        }
    }
}

}  // namespace
}  // namespace tessel
