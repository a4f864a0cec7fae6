// The seam's copy on real files: exact data, fail-if-exists, replacing, and nothing left
// behind when it does not copy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "files/os/file_system.h"
#include "support/test_support.h"

namespace tessel {
namespace {

using os::CopyResult;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(CopyFileTo, CopiesTheExactBytes) {
    constexpr std::size_t MiB = std::size_t{1} << 20;
    const std::vector<std::uint8_t> zeros(MiB + 3, 0);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0x42}},
        {"one zero byte", {0}},
        {"several chunks", Pattern(3 * MiB + 17, 1)},
        {"zeros in the middle", Join({Pattern(MiB, 2), zeros, Pattern(MiB + 5, 3)})},
        {"zeros at the end", Join({Pattern(100, 4), zeros, zeros})},
        {"only zeros", zeros},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        test::WriteBytes(root / "source.bin", c.bytes);
        test::MakeFolders(root / "dest");
        EXPECT_EQ(os::CopyFileTo(root / "source.bin", root / "dest/copy.bin", true),
                  CopyResult::Copied);
        EXPECT_EQ(test::ReadBytes(root / "dest/copy.bin"), c.bytes);
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("copy.bin"));
        os::DirEntry entry;
        ASSERT_TRUE(os::GetEntry(root / "dest/copy.bin", entry));
        EXPECT_EQ(entry.size, c.bytes.size());
    }
}

TEST(CopyFileTo, FailIfExistsLeavesATakenNameAlone) {
    TempFolder root;
    test::WriteText(root / "source.jpg", "new");
    test::WriteText(root / "dest/a.jpg", "old!");
    test::MakeFolders(root / "dest/folder.jpg");
    EXPECT_EQ(os::CopyFileTo(root / "source.jpg", root / "dest/a.jpg", true),
              CopyResult::TargetExists);
    EXPECT_EQ(os::CopyFileTo(root / "source.jpg", root / "dest/folder.jpg", true),
              CopyResult::TargetExists);
    EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"),
              std::vector<std::uint8_t>({'o', 'l', 'd', '!'}));
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", "folder.jpg/"));
}

TEST(CopyFileTo, ReplacesAFileButNeverAFolder) {
    TempFolder root;
    test::WriteText(root / "source.jpg", "new");
    test::WriteText(root / "dest/a.jpg", "old!");
    test::WriteText(root / "dest/folder.jpg/inside.txt", "kept");
    EXPECT_EQ(os::CopyFileTo(root / "source.jpg", root / "dest/a.jpg", false), CopyResult::Copied);
    EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"), std::vector<std::uint8_t>({'n', 'e', 'w'}));
    EXPECT_EQ(os::CopyFileTo(root / "source.jpg", root / "dest/folder.jpg", false),
              CopyResult::Failed);
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", "folder.jpg/"));
    EXPECT_THAT(NamesIn(root / "dest/folder.jpg"), ElementsAre("inside.txt"));
}

TEST(CopyFileTo, ACopyOntoItselfLosesNothing) {
    TempFolder root;
    const auto bytes = Pattern(5000, 9);
    test::WriteBytes(root / "a.jpg", bytes);
    EXPECT_EQ(os::CopyFileTo(root / "a.jpg", root / "a.jpg", true), CopyResult::TargetExists);
    // Replacing a file with itself is refused, as CopyFileA refuses it.
    EXPECT_EQ(os::CopyFileTo(root / "a.jpg", root / "a.jpg", false), CopyResult::SameFile);
    EXPECT_EQ(test::ReadBytes(root / "a.jpg"), bytes);
    EXPECT_THAT(NamesIn(root.Path()), ElementsAre("a.jpg"));
}

TEST(CopyFileTo, ReplacingRefusesWhatCopyFileARefuses) {
    // Each case: a source, an existing target, and what replacing it gives. The target
    // keeps its bytes whenever the copy does not report Copied.
    const struct {
        const char* what;
        bool readOnly;      // the target is read-only
        bool sourceItself;  // the target is the source's own name
        CopyResult result;
    } cases[] = {
        {"writable target", false, false, CopyResult::Copied},
        {"read-only target", true, false, CopyResult::Refused},
        {"the source itself", false, true, CopyResult::SameFile},
        {"the source itself, read-only", true, true, CopyResult::SameFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        const auto source = Pattern(3000, 1);
        const auto old = Pattern(2000, 2);
        test::WriteBytes(root / "dest/new.jpg", source);
        const std::string target = c.sourceItself ? root / "dest/new.jpg" : root / "dest/a.jpg";
        if (!c.sourceItself) test::WriteBytes(target, old);
        if (c.readOnly) test::SetReadOnly(target);
        EXPECT_EQ(os::CopyFileTo(root / "dest/new.jpg", target, false), c.result);
        EXPECT_EQ(test::ReadBytes(target),
                  c.result == CopyResult::Copied || c.sourceItself ? source : old);
        // No temporary file is left beside it.
        EXPECT_EQ(NamesIn(root / "dest").size(), c.sourceItself ? 1u : 2u);
    }
}

TEST(CopyFileTo, LeavesNothingWhenItCannotCopy) {
    TempFolder root;
    test::WriteText(root / "source.jpg", "data");
    test::MakeFolders(root / "dest");
    test::MakeFolders(root / "folder.jpg");
    std::stop_source stopped;
    stopped.request_stop();
    const struct {
        const char* what;
        std::string source, target;
        std::stop_token stop;
        CopyResult result;
    } cases[] = {
        {"missing source", root / "none.jpg", root / "dest/a.jpg", {}, CopyResult::Failed},
        {"source is a folder", root / "folder.jpg", root / "dest/a.jpg", {}, CopyResult::Failed},
        {"missing target folder",
         root / "source.jpg",
         root / "dest/none/a.jpg",
         {},
         CopyResult::Failed},
        {"stopped before it began", root / "source.jpg", root / "dest/a.jpg", stopped.get_token(),
         CopyResult::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool failIfExists : {true, false}) {
            EXPECT_EQ(os::CopyFileTo(c.source, c.target, failIfExists, c.stop), c.result);
            EXPECT_THAT(NamesIn(root / "dest"), IsEmpty());
        }
    }
}

TEST(MakeFolder, MakesOneLevel) {
    TempFolder root;
    EXPECT_TRUE(os::MakeFolder(root / "a"));
    EXPECT_FALSE(os::MakeFolder(root / "a"));    // exists
    EXPECT_FALSE(os::MakeFolder(root / "b/c"));  // parent missing
    test::WriteText(root / "file", "x");
    EXPECT_FALSE(os::MakeFolder(root / "file"));
    EXPECT_TRUE(os::MakeFolder(root / "重複ファイルはこちら"));
    EXPECT_THAT(NamesIn(root.Path()), ElementsAre("a/", "file", "重複ファイルはこちら/"));
}

}  // namespace
}  // namespace tessel
