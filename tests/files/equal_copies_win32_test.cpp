// The comparison on Windows, where another program's open handle may keep a copy from being
// read: a viewer that shares it for reading does not, a program that shares nothing does.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "files/copy_planner.h"
#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"
#include "support/test_support.h"

namespace tessel {
namespace {

TEST(EqualCopiesWin32, ACopyThatAnotherProgramHoldsOpen) {
    const struct {
        const char* what;
        DWORD share;  // what the other program lets others do meanwhile
        Outcome outcome;
        const char* path;
    } cases[] = {
        {"a viewer, sharing it for reading", FILE_SHARE_READ, Outcome::SameContent, "a(1).jpg"},
        {"a program that shares nothing: it cannot be read, so it is no equal", 0, Outcome::Saved,
         "a(2).jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        test::WriteSized(root / "dest/a.jpg", 10);
        test::WriteSized(root / "dest/a(1).jpg", 20, 's');
        test::WriteSized(root / "src/a.jpg", 20, 's');
        const os::UniqueFile other(::CreateFileW(os::WidePath(root / "dest/a(1).jpg").c_str(),
                                                 GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(other);
        const FileAccount report =
            CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::Numbered);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.destination, root / ("dest/" + std::string(c.path)));
    }
}

}  // namespace
}  // namespace tessel
