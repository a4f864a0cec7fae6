// The Win32 seam under Wine: attribute words as FindFirstFileA gives them, code page 932
// texts, and what the copy keeps.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/copy_planner.h"
#include "files/folder_scan.h"
#include "files/os/file_system.h"
#include "files/path_tests.h"
#include "files/texts.h"
#include "support/test_support.h"

namespace tessel {
namespace {

using test::NamesIn;
using test::Native;
using test::TempFolder;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(FilesWin32, TextsAreCodePage932) {
    // 重複ファイルはこちら
    EXPECT_STREQ(
        text::DuplicatesFolder,
        "\x8F\x64\x95\xA1\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x82\xB1\x82\xBF\x82\xE7");
    EXPECT_EQ(Native("表"), "\x95\x5C");
}

TEST(FilesWin32, AttributeWordsAndTheFolderRule) {
    TempFolder root;
    const struct {
        const char* name;
        DWORD set;  // 0: leave as created
        bool folder;
        bool kept;  // Wine keeps no read-only bit on a folder; Windows does
    } cases[] = {
        {"plain", 0, true, true},
        {"read-only", FILE_ATTRIBUTE_READONLY, true, false},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, true, true},
        {"system", FILE_ATTRIBUTE_SYSTEM, true, true},
        {"hidden.jpg", FILE_ATTRIBUTE_HIDDEN, false, true},
        {"read-only.jpg", FILE_ATTRIBUTE_READONLY, false, true},
    };
    for (const auto& c : cases) {
        const std::string path = root / c.name;
        if (c.folder) {
            test::WriteSized(path + "\\inside.jpg", 1);
        } else {
            test::WriteSized(path, 1);
        }
        if (c.set) {
            ASSERT_TRUE(::SetFileAttributesA(path.c_str(), c.set));
        }
    }
    std::vector<os::DirEntry> listed;
    ASSERT_TRUE(os::ListFolder(root.Path(), listed));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = root / c.name;
        const DWORD word = ::GetFileAttributesA(path.c_str());
        os::DirEntry entry;
        ASSERT_TRUE(QueryEntry(path, entry));
        EXPECT_EQ(entry.attributes, word);
        if (c.kept) {
            EXPECT_EQ(entry.attributes & c.set, c.set);
        }
        EXPECT_EQ(FolderExists(path), c.folder);
        EXPECT_EQ(FileExists(path), !c.folder);
        const auto it = std::find_if(listed.begin(), listed.end(),
                                     [&](const os::DirEntry& e) { return e.name == c.name; });
        ASSERT_NE(it, listed.end());
        EXPECT_EQ(it->attributes, word);
    }
    // Every folder is searched, whatever its other bits.
    FoundFileList list;
    EXPECT_EQ(ScanFolder(root.Path(), ",jpg,", list), 6u);
}

TEST(FilesWin32, BackslashTrailBytesThroughScanAndPlanner) {
    TempFolder root;
    // ソ and 表 both end in the byte 5C; a byte-wise search would split the names there.
    const std::string folder = root / Native("ソフト表");
    test::WriteSized(folder + "\\" + Native("表.jpg"), 3);
    test::WriteSized(folder + "\\" + Native("ソ") + "\\" + Native("ア.png"), 4);
    test::MakeFolders(root / "dest");

    FoundFileList list;
    std::vector<std::string> lines;
    ScanHooks hooks;
    hooks.folderEntered = [&](const std::string& f) { lines.push_back(f); };
    ASSERT_EQ(ScanFolder(folder, ",jpg,png,", list, hooks), 2u);
    EXPECT_THAT(list.paths,
                UnorderedElementsAre(folder + "\\" + Native("表.jpg"),
                                     folder + "\\" + Native("ソ") + "\\" + Native("ア.png")));
    EXPECT_THAT(lines, ElementsAre(folder, folder + "\\" + Native("ソ")));
    for (const auto& path : list.paths) {
        EXPECT_TRUE(CopyFoundFile(path, root / "dest", DuplicateMode::Numbered));
        EXPECT_TRUE(CopyFoundFile(path, root / "dest", DuplicateMode::SeparateFolder));
    }
    EXPECT_THAT(NamesIn(root / "dest"),
                UnorderedElementsAre(Native("表.jpg"), Native("ア.png"),
                                     std::string(text::DuplicatesFolder) + "/"));
    EXPECT_THAT(NamesIn(root / "dest\\" + text::DuplicatesFolder),
                UnorderedElementsAre(Native("表.jpg"), Native("ア.png")));
}

TEST(FilesWin32, CopyKeepsTheModificationTime) {
    TempFolder root;
    test::WriteSized(root / "a.jpg", 100);
    FILETIME old;
    old.dwLowDateTime = 0x12345678;
    old.dwHighDateTime = 0x01C00000;  // in 1999
    {
        HANDLE file = ::CreateFileA((root / "a.jpg").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &old));
        ::CloseHandle(file);
    }
    ASSERT_EQ(os::CopyFileTo(root / "a.jpg", root / "b.jpg", true), os::CopyResult::Copied);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExA((root / "b.jpg").c_str(), GetFileExInfoStandard, &data));
    // File systems keep times at their own grain; ext4 under Wine keeps 100 ns.
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, old.dwLowDateTime);
}

TEST(FilesWin32, ReplacingRefusesReadOnlyHiddenAndSystemTargets) {
    // CopyFileA refuses these; Wine's own CopyFile and MoveFileEx would replace them, so
    // this checks the seam's own rule.
    const struct {
        const char* what;
        DWORD attributes;
        os::CopyResult result;
    } cases[] = {
        {"normal", FILE_ATTRIBUTE_NORMAL, os::CopyResult::Copied},
        {"archive", FILE_ATTRIBUTE_ARCHIVE, os::CopyResult::Copied},
        {"read-only", FILE_ATTRIBUTE_READONLY, os::CopyResult::Refused},
        {"hidden", FILE_ATTRIBUTE_HIDDEN, os::CopyResult::Refused},
        {"system", FILE_ATTRIBUTE_SYSTEM, os::CopyResult::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        test::WriteText(root / "src/a.jpg", "new");
        test::WriteText(root / "dest/a.jpg", "old!");
        ASSERT_TRUE(::SetFileAttributesA((root / "dest/a.jpg").c_str(), c.attributes));
        EXPECT_EQ(os::CopyFileTo(root / "src/a.jpg", root / "dest/a.jpg", false), c.result);
        EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg").size(),
                  c.result == os::CopyResult::Copied ? 3u : 4u);
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg"));
        // The planner's overwrite mode counts nothing for a refused target.
        EXPECT_EQ(CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::Overwrite),
                  c.result == os::CopyResult::Copied);
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg"));
    }
}

TEST(FilesWin32, ATargetJustUnderMaxPathIsCopied) {
    // 259 characters with the name a.jpg: the temporary name beside it is no longer than
    // a.jpg, so it fits too. (The old ~tsl<pid>-<n>.tmp did not.)
    TempFolder root;
    test::WriteText(root / "source.jpg", "picture");
    std::string folder = root.Path();
    while (folder.size() < MAX_PATH - 1 - 6) {
        const std::size_t left = MAX_PATH - 1 - 6 - folder.size() - 1;
        folder += "\\" + std::string(std::min<std::size_t>(left, 60), 'd');
        test::MakeFolders(folder);
    }
    const std::string target = folder + "\\a.jpg";
    ASSERT_EQ(target.size(), MAX_PATH - 1u);
    for (const bool failIfExists : {true, false}) {
        SCOPED_TRACE(failIfExists);
        ::DeleteFileA(target.c_str());
        EXPECT_EQ(os::CopyFileTo(root / "source.jpg", target, failIfExists),
                  os::CopyResult::Copied);
        EXPECT_EQ(os::CopyFileTo(root / "source.jpg", target, false), os::CopyResult::Copied);
        EXPECT_THAT(NamesIn(folder), ElementsAre("a.jpg"));
    }
}

TEST(FilesWin32, PathsWithASeparatorAtTheEndAreNeverFound) {
    TempFolder root;
    test::MakeFolders(root / "folder");
    // "C:\...\folder\" and a drive root.
    for (const std::string& path : {root / "folder\\", std::string("C:\\")}) {
        SCOPED_TRACE(path);
        os::DirEntry entry;
        EXPECT_FALSE(QueryEntry(path, entry));
        EXPECT_FALSE(FolderExists(path));
        EXPECT_FALSE(FileExists(path));
    }
}

TEST(FilesWin32, SkipsFoldersPastThePathLimit) {
    TempFolder root;
    // Levels of 40 characters, each with a match, made with the wide calls and the long-path
    // prefix so that they can go on past MAX_PATH, where the ANSI calls stop.
    std::string path = root.Path();
    std::size_t withinLimit = 0;
    for (std::size_t levels = 0; path.size() < os::MaxPath + 100; ++levels) {
        path += "\\" + std::string(40, 'd');
        const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
        ASSERT_TRUE(::CreateDirectoryW(wide.c_str(), nullptr)) << path.size();
        HANDLE file = ::CreateFileW((wide + L"\\a.jpg").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ::CloseHandle(file);
        if (path.size() + 1 <= os::MaxPath) withinLimit = levels + 1;
    }
    FoundFileList list;
    ScanFolder(root.Path(), ",jpg,", list);
    EXPECT_GT(list.Count(), 0u);
    EXPECT_LE(list.Count(), withinLimit);
    // TempFolder's ANSI calls cannot reach the deepest levels: remove them here.
    while (path.size() > root.Path().size()) {
        const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
        ::DeleteFileW((wide + L"\\a.jpg").c_str());
        ::RemoveDirectoryW(wide.c_str());
        path.resize(path.size() - 41);
    }
}

}  // namespace
}  // namespace tessel
