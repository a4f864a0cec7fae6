// The search phase on real trees: order, folder lines, totals and the stop.
#include "files/folder_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/os/file_system.h"
#include "files/path_tests.h"
#include "scan_tree.h"
#include "support/test_support.h"

namespace tessel {
namespace {

// The order the scan promises, told from the listings themselves: each folder's entries
// as the file system delivers them, a sub-folder's matches where its entry is met.
void ExpectedOrder(const std::string& folder, std::vector<std::string>& paths,
                   std::vector<std::string>& lines) {
    std::vector<os::DirEntry> entries;
    if (!os::ListFolder(folder, entries)) return;
    lines.push_back(folder);
    for (const auto& e : entries) {
        const std::string path = folder + Sep() + e.name;
        if (IsFolderEntry(e.attributes)) {
            ExpectedOrder(path, paths, lines);
        } else if (IsListed(Images, e.name)) {
            paths.push_back(path);
        }
    }
}

TEST(FolderScan, KeepsTheFileSystemsOrderDepthFirst) {
    TempFolder root;
    // Enough names that the file system's order is unlikely to be the sorted one.
    for (const char* name : {"m.jpg", "b.png", "skip.txt", "z.gif", "README", "k.bmp"})
        test::WriteSized(root / name, 1);
    for (const char* name : {"sub1/x.jpg", "sub1/y.txt", "sub1/deeper/q.png", "sub1/deeper/r.jpg",
                             "sub2/a.JPEG", "sub2/b.jpeg", "t/u/v/w.gif", "c.jpg/inner.png"})
        test::WriteSized(root / name, 2);
    test::MakeFolders(root / "empty");

    std::vector<std::string> paths;
    std::vector<std::string> lines;
    ExpectedOrder(root.Path(), paths, lines);
    ASSERT_EQ(paths.size(), 11u);  // the folder "c.jpg" is entered, not kept

    const Scan scan = ScanTree(root.Path());
    EXPECT_EQ(scan.count, paths.size());
    EXPECT_EQ(scan.list.paths, paths);
    EXPECT_EQ(scan.lines, lines);
    EXPECT_EQ(scan.lines.front(), root.Path());
    EXPECT_EQ(scan.list.squareSides.size(), paths.size());
    EXPECT_EQ(scan.list.sizes.size(), paths.size());
    EXPECT_EQ(scan.list.measured.size(), paths.size());
}

TEST(FolderScan, TellsWhichFilesNoReaderCouldMeasure) {
    TempFolder root;
    const auto copy = [&](const char* data, const char* name) {
        test::WriteBytes(root / name, test::ReadBytes(test::DataPath(data)));
    };
    copy("images/heic_camera_grid.heic", "phone.heic");
    copy("images/one_by_one.gif", "pixel.gif");  // measured, and its side is 1
    copy("images/jxl_orientation6.jxl", "named-wrong.png");
    test::WriteSized(root / "notes.heic", 40);
    test::WriteSized(root / "empty.gif", 0);
    const struct {
        const char* name;
        std::int32_t side;
        bool measured;
    } cases[] = {
        {"phone.heic", 3491, true}, {"pixel.gif", 1, true},  {"named-wrong.png", 244, true},
        {"notes.heic", 1, false},   {"empty.gif", 1, false},
    };
    const Scan scan = ScanTree(root.Path(), ",heic,gif,png,");
    ASSERT_EQ(scan.list.measured.size(), scan.list.Count());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto at = std::find(scan.list.paths.begin(), scan.list.paths.end(), root / c.name);
        ASSERT_NE(at, scan.list.paths.end());
        const auto i = static_cast<std::size_t>(at - scan.list.paths.begin());
        EXPECT_EQ(scan.list.squareSides[i], c.side);
        EXPECT_EQ(scan.list.measured[i], c.measured);
    }
}

TEST(FolderScan, EmptyFolderGivesALineAndNothingElse) {
    TempFolder root;
    test::MakeFolders(root / "empty");
    const Scan scan = ScanTree(root / "empty");
    EXPECT_EQ(scan.count, 0u);
    EXPECT_THAT(scan.lines, ElementsAre(root / "empty"));
    EXPECT_EQ(scan.list.totalBytes, 0u);
}

TEST(FolderScan, MissingFolderGivesNoLine) {
    TempFolder root;
    test::WriteSized(root / "file.jpg", 5);
    for (const std::string& folder : {root / "missing", root / "file.jpg"}) {
        SCOPED_TRACE(folder);
        const Scan scan = ScanTree(folder);
        EXPECT_EQ(scan.count, 0u);
        EXPECT_THAT(scan.lines, IsEmpty());
    }
}

TEST(FolderScan, TotalsSizesAndKeepsEmptyFiles) {
    TempFolder root;
    test::WriteSizedFiles(
        root, {{"empty.jpg", 0}, {"a.png", 1000}, {"sub/b.gif", 24}, {"sub/c.txt", 5000}});
    const Scan scan = ScanTree(root.Path());
    ASSERT_EQ(scan.count, 3u);
    EXPECT_EQ(scan.list.totalBytes, 1024u);
    for (std::size_t i = 0; i < scan.count; ++i) {
        SCOPED_TRACE(scan.list.paths[i]);
        os::DirEntry entry;
        ASSERT_TRUE(QueryEntry(scan.list.paths[i], entry));
        EXPECT_EQ(scan.list.sizes[i], entry.size);
    }
}

TEST(FolderScan, AddsToAListThatHasEntries) {
    TempFolder root;
    test::WriteSized(root / "a/x.jpg", 3);
    test::WriteSized(root / "b/y.jpg", 4);
    Scan scan;
    EXPECT_EQ(ScanFolder(root / "a", Images, scan.list), 1u);
    EXPECT_EQ(ScanFolder(root / "b", Images, scan.list), 1u);
    EXPECT_THAT(scan.list.paths, ElementsAre(root / "a/x.jpg", root / "b/y.jpg"));
    EXPECT_EQ(scan.list.totalBytes, 7u);
}

TEST(FolderScan, MeasuresEachKeptFile) {
    TempFolder root;
    test::WriteBytes(root / "a/wide.png", test::ReadBytes(test::DataPath("images/png.png")));
    test::WriteBytes(root / "photo.JPG", test::ReadBytes(test::DataPath("images/baseline.jpg")));
    test::WriteText(root / "a/not-an-image.gif", "plain text");
    const Scan scan = ScanTree(root.Path());
    ASSERT_EQ(scan.count, 3u);
    const struct {
        std::string path;
        std::int32_t side;
    } expected[] = {
        {root / "a/wide.png", 45},         // 300 x 7
        {root / "photo.JPG", 554},         // 640 x 480
        {root / "a/not-an-image.gif", 1},  //
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.path);
        const auto it = std::find(scan.list.paths.begin(), scan.list.paths.end(), e.path);
        ASSERT_NE(it, scan.list.paths.end());
        EXPECT_EQ(scan.list.squareSides[static_cast<std::size_t>(it - scan.list.paths.begin())],
                  e.side);
    }
}

TEST(FolderScan, JapaneseNamesKeepTheirBytes) {
    TempFolder root;
    const std::string folder = "ソフト";
    const std::string file = "表.jpg";
    test::WriteSized(root / folder + Sep() + file, 9);
    test::WriteSized(root / folder + Sep() + "予定.txt", 9);
    const Scan scan = ScanTree(root.Path());
    EXPECT_THAT(scan.list.paths, ElementsAre(root.Path() + Sep() + folder + Sep() + file));
    EXPECT_THAT(scan.lines, ElementsAre(root.Path(), root.Path() + Sep() + folder));
}

TEST(FolderScan, StopsBeforeTheNextFolderOrEntry) {
    TempFolder root;
    test::WriteSizedFiles(root, {{"a/1.jpg", 1}, {"b/2.jpg", 1}, {"c/3.jpg", 1}});
    {
        SCOPED_TRACE("stopped before the start");
        std::stop_source stopper;
        stopper.request_stop();
        FoundFileList list;
        std::vector<std::string> lines;
        ScanHooks hooks;
        hooks.folderEntered = [&](const std::string& f) { lines.push_back(f); };
        hooks.stop = stopper.get_token();
        EXPECT_EQ(ScanFolder(root.Path(), Images, list, hooks), 0u);
        EXPECT_THAT(lines, IsEmpty());
    }
    {
        SCOPED_TRACE("stopped on entering the second sub-folder");
        std::stop_source stopper;
        FoundFileList list;
        std::vector<std::string> lines;
        ScanHooks hooks;
        hooks.folderEntered = [&](const std::string& f) {
            lines.push_back(f);
            if (lines.size() == 3) stopper.request_stop();
        };
        hooks.stop = stopper.get_token();
        // Only the first sub-folder was searched: its one file.
        EXPECT_EQ(ScanFolder(root.Path(), Images, list, hooks), 1u);
        EXPECT_EQ(list.Count(), 1u);
        EXPECT_EQ(lines.size(), 3u);
    }
}

}  // namespace
}  // namespace tessel
