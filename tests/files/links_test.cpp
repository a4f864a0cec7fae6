// The two halves of the link rule that every platform shares: which Windows reparse points
// are links (a rule on the find data, tested on every host), and resolved paths that begin
// with their folder's.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "files/os/file_system.h"
#include "files/os/reparse_tag.h"
#include "support/test_support.h"

namespace tessel {
namespace {

TEST(Links, WhichReparsePointsOnWindowsAreLinksToFiles) {
    constexpr std::uint32_t Archive = 0x20, Directory = 0x10, Reparse = 0x400;
    const struct {
        const char* what;
        std::uint32_t attributes;
        std::uint32_t tag;
        bool link;
    } cases[] = {
        {"a symbolic link to a file", Archive | Reparse, os::ReparseTagSymlink, true},
        {"a junction on a file", Reparse, os::ReparseTagMountPoint, true},
        {"a symbolic link to a folder: a folder, never entered", Directory | Reparse,
         os::ReparseTagSymlink, false},
        {"a deduplicated file", Archive | Reparse, 0x80000013, false},
        {"a OneDrive placeholder", Archive | Reparse, 0x9000001A, false},
        {"a file WOF keeps compressed", Archive | Reparse, 0x80000017, false},
        {"a WSL link, which the wide calls cannot open", Archive | Reparse, 0xA000001D, false},
        // The find data's tag field is left over from other entries unless the reparse bit is
        // set: the bit decides first.
        {"a plain file with a stale tag", Archive, os::ReparseTagSymlink, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(os::IsFileLink(c.attributes, c.tag), c.link);
    }
}

TEST(Links, AResolvedPathBeginsWithItsResolvedFolder) {
    TempFolder root;
    test::WriteSized(root / "src/sub/a.jpg", 1);
    const std::optional<std::string> folder = os::ResolvedPath(root / "src");
    ASSERT_TRUE(folder);
    const struct {
        const char* what;
        std::string path;
        std::optional<std::string> resolved;
    } cases[] = {
        {"a file in it", root / "src/sub/a.jpg", *folder + Sep() + "sub" + Sep() + "a.jpg"},
        {"the same by '.' and '..'", root / "src/sub/../sub/./a.jpg",
         *folder + Sep() + "sub" + Sep() + "a.jpg"},
        {"a folder in it", root / "src/sub", *folder + Sep() + "sub"},
        {"nothing there", root / "src/missing.jpg", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(os::ResolvedPath(c.path), c.resolved);
    }
}

}  // namespace
}  // namespace tessel
