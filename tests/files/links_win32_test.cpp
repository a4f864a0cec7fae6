// The link rule on Windows, with real symbolic links where they can be made.
//
// What Wine (8.0) does, tried by hand: CreateSymbolicLinkW returns TRUE and makes nothing, and
// FSCTL_SET_REPARSE_POINT fails (ERROR_NOT_SUPPORTED), so no test here can make a link. A Unix
// link seen through Z: is listed as a plain file (attributes 0x20, the size of what it leads
// to, no reparse bit and no tag) that opening follows, and GetFinalPathNameByHandleW gives the
// path it leads to; a Unix link to a folder shows FILE_ATTRIBUTE_DIRECTORY |
// FILE_ATTRIBUTE_REPARSE_POINT, and a dangling one is not listed at all. So under Wine a Unix
// link to a file outside the tree is taken like a file: the seam cannot tell it from one.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "files/folder_scan.h"
#include "files/os/wide_path_win32.h"
#include "support/test_support.h"

namespace tessel {
namespace {

TEST(LinksWin32, AFileLinkIsTakenOnlyWhenItLeadsInsideTheTree) {
    TempFolder root;
    test::WriteSized(root / "src/real.jpg", 11);
    test::WriteSized(root / "outside/secret.jpg", 22);
    const auto link = [&](const std::string& at, const std::string& target) {
        return ::CreateSymbolicLinkW(os::WidePath(root / at).c_str(),
                                     os::WidePath(root / target).c_str(),
                                     SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0 &&
               ::GetFileAttributesW(os::WidePath(root / at).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    if (!link("src/in.jpg", "src/real.jpg") || !link("src/out.jpg", "outside/secret.jpg")) {
        GTEST_SKIP() << "no symbolic link could be made here (Wine reports success for none)";
    }
    FoundFileList list;
    ScanFolder(root / "src", ",jpg,", list);
    EXPECT_THAT(list.paths, UnorderedElementsAre(root / "src/real.jpg", root / "src/in.jpg"));
}

}  // namespace
}  // namespace tessel
