// A copy that cannot be read compares as different: the found file is copied under the next
// number, never lost for a file that may not even be its equal.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "files/copy_planner.h"
#include "files/texts.h"
#include "posix_helpers.h"
#include "support/test_support.h"

namespace tessel {
namespace {

TEST(EqualCopiesPosix, AnUnreadableCandidateOfTheSameSizeIsPassedBy) {
    const std::string D = text::DuplicatesFolder;
    const struct {
        const char* what;
        DuplicateMode mode;
        const char* locked;    // of the same size and bytes as the found file, mode 000
        const char* expected;  // where the found file is saved
    } cases[] = {
        {"numbered", DuplicateMode::Numbered, "a(1).jpg", "a(2).jpg"},
        {"inside the duplicates folder", DuplicateMode::SeparateFolder, "D/a(1).jpg", "D/a(2).jpg"},
        {"separate: the plain name", DuplicateMode::SeparateFolder, "a.jpg", "D/a.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        const auto inDest = [&](std::string name) {
            return root / ("dest/" + (name.starts_with("D/") ? D + name.substr(1) : name));
        };
        if (std::string_view(c.locked) != "a.jpg") test::WriteSized(inDest("a.jpg"), 10);
        if (std::string_view(c.locked).starts_with("D/")) test::WriteSized(inDest("D/a.jpg"), 30);
        test::WriteSized(inDest(c.locked), 20, 's');
        test::WriteSized(root / "src/a.jpg", 20, 's');
        ::chmod(root.Path().c_str(), 0755);
        ::chmod((root / "src").c_str(), 0755);
        ::chmod((root / "src/a.jpg").c_str(), 0644);
        ::chmod((root / "dest").c_str(), 0777);
        if (std::string_view(c.locked).starts_with("D/")) ::chmod(inDest("D/").c_str(), 0777);
        ::chmod(inDest(c.locked).c_str(), 0);
        // As another user, whom mode 000 keeps out (root reads anything).
        const int seen = test::RunAsNobody([&] {
            const FileAccount report =
                CopyFoundFile(root / "src/a.jpg", root / "dest", c.mode, {}, 20);
            return (report.outcome == Outcome::Saved ? 0 : 1) |
                   (report.destination == inDest(c.expected) ? 0 : 2);
        });
        EXPECT_EQ(seen, 0);
        EXPECT_EQ(test::ReadBytes(inDest(c.expected)), std::vector<std::uint8_t>(20, 's'));
    }
}

}  // namespace
}  // namespace tessel
