// The three existence tests on real files, and FindLastChar in the platform's code page.
#include "files/path_tests.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace tessel {
namespace {

TEST(PathTests, FilesFoldersAndNothing) {
    TempFolder root;
    test::WriteSized(root / "a.jpg", 1234);
    test::MakeFolders(root / "folder");
    test::WriteSized(root / "表", 7);
    test::MakeFolders(root / "ソフト");

    const struct {
        std::string what;
        std::string path;
        bool file, folder, any;
    } cases[] = {
        {"file", root / "a.jpg", true, false, true},
        {"folder", root / "folder", false, true, true},
        {"file named 表", root / "表", true, false, true},
        {"folder named ソフト", root / "ソフト", false, true, true},
        {"missing", root / "b.jpg", false, false, false},
        {"inside a missing folder", root / "none/a.jpg", false, false, false},
        {"file with a trailing separator", root / "a.jpg" + Sep(), false, false, false},
        {"folder with a trailing separator", root / "folder" + Sep(), false, false, false},
        {"ソフト with a trailing separator", root / "ソフト" + Sep(), false, false, false},
        {"empty path", "", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FileExists(c.path), c.file);
        EXPECT_EQ(FolderExists(c.path), c.folder);
        os::DirEntry entry;
        EXPECT_EQ(QueryEntry(c.path, entry), c.any);
    }
}

TEST(PathTests, QueryEntryReportsNameSizeAndFolderBit) {
    TempFolder root;
    test::WriteSized(root / "a.jpg", 1234);
    test::MakeFolders(root / "folder");
    os::DirEntry entry;
    ASSERT_TRUE(QueryEntry(root / "a.jpg", entry));
    EXPECT_EQ(entry.name, "a.jpg");
    EXPECT_EQ(entry.size, 1234u);
    EXPECT_FALSE(IsFolderEntry(entry.attributes));
    ASSERT_TRUE(QueryEntry(root / "folder", entry));
    EXPECT_EQ(entry.name, "folder");
    EXPECT_TRUE(IsFolderEntry(entry.attributes));
}

TEST(PathTests, FindLastCharUsesThePlatformCodePage) {
    const std::string name = "表.jpg";
    EXPECT_EQ(FindLastChar(name, '.'), name.size() - 4);
    const std::string path = "ソフト" + Sep() + "a.png";
    EXPECT_EQ(FindLastChar(path, Sep()[0]), path.size() - 6);
    EXPECT_EQ(FindLastChar("表", Sep()[0]), std::nullopt);
}

}  // namespace
}  // namespace tessel
