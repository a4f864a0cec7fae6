// The Win32 seam under Wine: attribute words as FindFirstFileA gives them, code page 932
// texts, and what the copy keeps.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/copy_planner.h"
#include "files/folder_scan.h"
#include "files/os/file_system.h"
#include "files/os/wide_path_win32.h"
#include "files/path_tests.h"
#include "files/texts.h"
#include "support/test_support.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

TEST(FilesWin32, TheDuplicatesFolderHasItsJapaneseName) {
    // The name is UTF-8 like every path of the engine; on disk it is 重複ファイルはこちら, which
    // the window's ANSI calls read in code page 932.
    EXPECT_STREQ(text::DuplicatesFolder, "重複ファイルはこちら");
    TempFolder root;
    ASSERT_TRUE(os::MakeFolder(root / text::DuplicatesFolder));
    const std::string ansi =
        root.Path() + "\\" +
        "\x8F\x64\x95\xA1\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x82\xB1\x82\xBF\x82\xE7";
    const DWORD attributes = ::GetFileAttributesA(ansi.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    // ソ and 表 end in the byte 5C in code page 932, where a byte-wise search split names;
    // the engine's paths are UTF-8 now, and the names must still come through whole.
    const std::string folder = root / "ソフト表";
    test::WriteSized(folder + "\\表.jpg", 3);
    test::WriteSized(folder + "\\ソ\\ア.png", 4);
    test::MakeFolders(root / "dest");

    FoundFileList list;
    std::vector<std::string> lines;
    ScanHooks hooks;
    hooks.folderEntered = [&](const std::string& f) { lines.push_back(f); };
    ASSERT_EQ(ScanFolder(folder, ",jpg,png,", list, hooks), 2u);
    EXPECT_THAT(list.paths, UnorderedElementsAre(folder + "\\表.jpg", folder + "\\ソ\\ア.png"));
    EXPECT_THAT(lines, ElementsAre(folder, folder + "\\ソ"));
    for (const auto& path : list.paths) {
        EXPECT_TRUE(CopyFoundFile(path, root / "dest", DuplicateMode::Numbered).Saved());
        // The same bytes stand under the name now; once they differ, the file goes to the
        // duplicates folder.
        const FileAccount again = CopyFoundFile(path, root / "dest", DuplicateMode::SeparateFolder);
        EXPECT_EQ(again.outcome, Outcome::SameContent);
        EXPECT_EQ(again.destination, root / ("dest/" + path.substr(path.rfind('\\') + 1)));
        test::WriteSized(path, test::ReadBytes(path).size(), 'o');
        EXPECT_TRUE(CopyFoundFile(path, root / "dest", DuplicateMode::SeparateFolder).Saved());
    }
    EXPECT_THAT(
        NamesIn(root / "dest"),
        UnorderedElementsAre("表.jpg", "ア.png", std::string(text::DuplicatesFolder) + "/"));
    EXPECT_THAT(NamesIn(root / "dest\\" + text::DuplicatesFolder),
                UnorderedElementsAre("表.jpg", "ア.png"));
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
        EXPECT_EQ(
            CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::Overwrite).Saved(),
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

// Under Wine the path limit is the Unix one of the path a Windows path maps to. Wine tells
// that path (kernel32's wine_get_unix_file_name); on Windows there is no such function.
std::optional<std::size_t> UnixLength(const std::string& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName) return std::nullopt;
    char* name = unixName(os::WidePath(path).c_str());
    if (!name) return std::nullopt;
    const std::size_t length = std::string_view(name).size();
    ::HeapFree(::GetProcessHeap(), 0, name);
    return length;
}

TEST(FilesWin32, ATargetAtWinesOwnPathLimitIsCopied) {
    // The target's path on the Unix side is 4095 bytes, the most PATH_MAX allows: a
    // temporary name longer than "a.jpg" would not fit beside it.
    TempFolder root;
    test::WriteText(root / "source.jpg", "picture");
    const std::optional<std::size_t> base = UnixLength(root.Path());
    if (!base) GTEST_SKIP() << "not under Wine";
    const std::size_t wanted = 4095 - 6;  // the folder's Unix length, before "/a.jpg"
    std::string folder = root.Path();
    std::size_t length = *base;
    while (length < wanted) {
        const std::size_t left = wanted - length - 1;  // after the next separator
        std::size_t level = std::min<std::size_t>(left, 200);
        if (left - level == 1) --level;  // the next level needs a separator and a character
        folder += "\\" + std::string(level, 'd');
        length += 1 + level;
    }
    test::MakeFolders(folder);
    ASSERT_EQ(UnixLength(folder), wanted);
    const std::string target = folder + "\\a.jpg";
    for (const bool failIfExists : {true, false}) {
        SCOPED_TRACE(failIfExists);
        EXPECT_EQ(os::CopyFileTo(root / "source.jpg", target, failIfExists),
                  os::CopyResult::Copied);
        EXPECT_EQ(os::CopyFileTo(root / "source.jpg", target, false), os::CopyResult::Copied);
        EXPECT_THAT(NamesIn(folder), ElementsAre("a.jpg"));
        EXPECT_EQ(test::ReadBytes(target).size(), 7u);
        EXPECT_TRUE(::DeleteFileW(os::WidePath(target).c_str()));
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

// The names of the trees below: each one that code page 932 cannot write fails with the
// ANSI calls (CopyFileA copied only 日本.jpg and plain.jpg).
struct Named {
    const char* name;
    std::uint32_t side;  // each file a PNG of side x side, whatever its extension says
};
constexpr Named FiveNames[] = {
    {"café.jpg", 11}, {"한국.png", 12}, {"emoji😀.gif", 13}, {"日本.jpg", 14}, {"plain.jpg", 15},
};

// A folder under `root` whose path is at least `length` characters: levels of 40.
std::string DeepFolder(const std::string& root, std::size_t length) {
    std::string path = root;
    while (path.size() < length) path += "\\" + std::string(40, 'd');
    test::MakeFolders(path);
    return path;
}

TEST(FilesWin32, NamesCodePage932CannotWriteAreFoundMeasuredAndCopied) {
    TempFolder root;
    for (const Named& n : FiveNames) {
        test::WriteBytes(root / "src/" + n.name, test::TinyPng(n.side, n.side));
    }
    // 300 characters deep, past MAX_PATH with its name.
    const std::string deep = DeepFolder(root / "src/deep", 300) + "\\깊은.png";
    ASSERT_GT(deep.size(), std::size_t{MAX_PATH});
    test::WriteBytes(deep, test::TinyPng(16, 16));
    test::MakeFolders(root / "dest");

    FoundFileList list;
    ASSERT_EQ(ScanFolder(root / "src", ",jpg,png,gif,", list), 6u);
    std::vector<std::string> found;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const std::string name = list.paths[i].substr(list.paths[i].rfind('\\') + 1);
        found.push_back(name + " " + std::to_string(list.squareSides[i]));
        EXPECT_TRUE(CopyFoundFile(list.paths[i], root / "dest", DuplicateMode::Numbered).Saved())
            << name;
    }
    EXPECT_THAT(found, UnorderedElementsAre("café.jpg 11", "한국.png 12", "emoji😀.gif 13",
                                            "日本.jpg 14", "plain.jpg 15", "깊은.png 16"));
    EXPECT_EQ(list.totalBytes, 6 * test::TinyPng(1, 1).size());
    EXPECT_THAT(NamesIn(root / "dest"), UnorderedElementsAre("café.jpg", "한국.png", "emoji😀.gif",
                                                             "日本.jpg", "plain.jpg", "깊은.png"));
    EXPECT_EQ(test::ReadBytes(root / "dest/emoji😀.gif"), test::TinyPng(13, 13));

    // Another 한국.png of another size: numbered on its real base; the same size: left alone.
    test::WriteBytes(root / "more/한국.png", test::TinyPng(12, 12, 100));
    test::WriteBytes(root / "same/café.jpg", test::TinyPng(11, 11));
    EXPECT_TRUE(
        CopyFoundFile(root / "more/한국.png", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_FALSE(
        CopyFoundFile(root / "same/café.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_TRUE(CopyFoundFile(root / "more/한국.png", root / "dest", DuplicateMode::SeparateFolder)
                    .Saved());
    EXPECT_THAT(
        NamesIn(root / "dest"),
        UnorderedElementsAre("café.jpg", "한국.png", "한국(1).png", "emoji😀.gif", "日本.jpg",
                             "plain.jpg", "깊은.png", std::string(text::DuplicatesFolder) + "/"));
    EXPECT_THAT(NamesIn(root / "dest/" + text::DuplicatesFolder), ElementsAre("한국.png"));
}

TEST(FilesWin32, EntersFoldersAsDeepAsTheTreeGoes) {
    // Levels of 40 characters, each with a match, to well past MAX_PATH: every one is found,
    // measured and copied, and the listing's names come back under the long form.
    TempFolder root;
    std::string path = root / "src";
    std::size_t levels = 0;
    while (path.size() < 1000) {
        path += "\\" + std::string(40, 'd');
        test::WriteBytes(path + "\\" + std::to_string(++levels) + ".png", test::TinyPng(9, 9));
    }
    test::MakeFolders(root / "dest");
    FoundFileList list;
    std::size_t folders = 0;
    ScanHooks hooks;
    hooks.folderEntered = [&](const std::string&) { ++folders; };
    ASSERT_EQ(ScanFolder(root / "src", ",png,", list, hooks), levels);
    EXPECT_EQ(folders, levels + 1);
    EXPECT_THAT(list.squareSides, ::testing::Each(9));
    for (const std::string& file : list.paths) {
        EXPECT_TRUE(CopyFoundFile(file, root / "dest", DuplicateMode::Numbered).Saved())
            << file.size();
    }
    EXPECT_EQ(NamesIn(root / "dest").size(), levels);
    // And from the deepest folder outwards, as far as the long form goes.
    EXPECT_TRUE(FolderExists(path));
    EXPECT_TRUE(os::MakeFolder(path + "\\new"));
    EXPECT_TRUE(
        CopyFoundFile(list.paths.front(), path + "\\new", DuplicateMode::Overwrite).Saved());
}

}  // namespace
}  // namespace tessel
