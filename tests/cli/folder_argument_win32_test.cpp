// Windows spellings of a folder argument: "/" is a separator too, and a drive is no bare name.
#include "cli/folder_argument.h"

#include <gtest/gtest.h>

namespace tessel::cli {
namespace {

TEST(FolderArgument, SlashesAndDrivesOnWindows) {
    EXPECT_EQ(FolderArgument("C:/photos/out/", true), "C:\\photos\\out");
    EXPECT_EQ(FolderArgument("out/", true), ".\\out");
    // "D:" names the current folder of drive D, not a folder named "D:" here.
    EXPECT_EQ(FolderArgument("D:", true), "D:");
    EXPECT_EQ(FolderArgument("D:out", true), "D:out");
    EXPECT_EQ(FolderArgument("\\\\server\\share\\", false), "\\\\server\\share");
}

}  // namespace
}  // namespace tessel::cli
