// The folder arguments as the command hands them to the run request's rules, and the final
// text's line ends.
#include "cli/folder_argument.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/messages.h"
#include "support/test_support.h"

namespace tessel::cli {
namespace {

TEST(FolderArgument, TrailingSeparatorsGoAndBareDestinationsAreRelative) {
    const std::string s = Sep();
    const struct {
        const char* what;
        std::string typed;
        bool bareNameIsRelative;
        std::string taken;
    } cases[] = {
        {"trailing separator", s + "data" + s + "out" + s, true, s + "data" + s + "out"},
        {"several trailing", "out" + s + s + s, false, "out"},
        // The root is a folder: its one separator stays.
        {"root", s, true, s},
        {"bare source stays", "src", false, "src"},
        {"bare destination in the current folder", "out", true, "." + s + "out"},
        {"bare after its trailing separator", "out" + s, true, "." + s + "out"},
        {"relative path with a level", "a" + s + "b", true, "a" + s + "b"},
        {"dot", ".", true, "." + s + "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FolderArgument(c.typed, c.bareNameIsRelative), c.taken);
    }
}

TEST(FinalText, CrLfPairsBecomeLineFeeds) {
    EXPECT_EQ(WithLineFeeds("a\r\nb\r\n\r\nc"), "a\nb\n\nc");
    // Only pairs: a CR alone (a name may hold one) and a lone LF stay.
    EXPECT_EQ(WithLineFeeds("a\rb\nc\r"), "a\rb\nc\r");
    EXPECT_EQ(WithLineFeeds(""), "");
}

}  // namespace
}  // namespace tessel::cli
