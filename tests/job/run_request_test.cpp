// The run request's folder rules, as both front ends apply them.
#include "job/run_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace tessel {
namespace {

// Each test's tree: the folders src/ and out/ (empty), and the files "file" and "file.jpg".
class RunRequestFolders : public testing::Test {
protected:
    void SetUp() override {
        test::MakeFolders(temp / "src");
        test::MakeFolders(temp / "out");
        test::WriteText(temp / "file", "x");
        test::WriteText(temp / "file.jpg", "x");
    }

    TempFolder temp;
};

TEST_F(RunRequestFolders, SourceMustBeAnExistingFolder) {
    EXPECT_TRUE(IsValidSourceFolder(temp / "src"));
    EXPECT_FALSE(IsValidSourceFolder(temp / "missing"));
    EXPECT_FALSE(IsValidSourceFolder(temp / "file.jpg"));
    EXPECT_FALSE(IsValidSourceFolder(""));
    // A path ending in a separator is never a folder, as with a drive root in the window.
    EXPECT_FALSE(IsValidSourceFolder(temp / "src" + Sep()));
}

TEST_F(RunRequestFolders, DestinationIsCheckedByItsParent) {
    const struct {
        const char* what;
        std::string path;
        DestinationCheck check;
    } cases[] = {
        {"existing folder", temp / "out", DestinationCheck::Exists},
        {"last level missing", temp / "out/new", DestinationCheck::Missing},
        {"two levels missing", temp / "a/b/c", DestinationCheck::Invalid},
        {"one word, no separator", "nowhere-at-all", DestinationCheck::Invalid},
        // Not a folder, its parent is: the question comes, and the creation then fails.
        {"a file", temp / "file", DestinationCheck::Missing},
        {"under a file", temp / "file/new", DestinationCheck::Invalid},
        // Its parent is the folder itself: asked, and then it cannot be made.
        {"trailing separator", temp / "out" + Sep(), DestinationCheck::Missing},
        // In code page 932 the trail byte of 表 is 0x5C: a byte search for the separator
        // would take "...\\新\x95" as the parent and call the destination invalid.
        {"double-byte last level", temp.Path() + Sep() + "新表", DestinationCheck::Missing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckDestinationFolder(c.path), c.check);
    }
}

TEST_F(RunRequestFolders, CreatesTheLastLevelOnly) {
    const std::string fresh = temp.Path() + Sep() + "新表";
    EXPECT_TRUE(CreateDestinationFolder(fresh));
    EXPECT_EQ(CheckDestinationFolder(fresh), DestinationCheck::Exists);
    EXPECT_FALSE(CreateDestinationFolder(temp / "out"));          // already there
    EXPECT_FALSE(CreateDestinationFolder(temp / "out" + Sep()));  // the same folder
    EXPECT_FALSE(CreateDestinationFolder(temp / "x/y"));          // no chains
    EXPECT_EQ(CheckDestinationFolder(temp / "x"), DestinationCheck::Missing);
}

TEST_F(RunRequestFolders, DestinationIsAcceptedAfterOneQuestionAtMost) {
    const struct {
        const char* what;
        std::string path;
        bool answer;
        int questions;  // how often mayCreate was called
        bool accepted;
        bool folderAfter;
    } cases[] = {
        {"existing folder", temp / "out", false, 0, true, true},
        {"last level missing, yes", temp / "out/yes", true, 1, true, true},
        {"last level missing, no", temp / "out/no", false, 1, false, false},
        {"two levels missing", temp / "a/b", true, 0, false, false},
        {"under a file", temp / "file/new", true, 0, false, false},
        // The question comes (its parent is a folder), and the folder cannot be made.
        {"a file", temp / "file", true, 1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int questions = 0;
        const bool accepted = AcceptDestination(c.path, [&] {
            ++questions;
            return c.answer;
        });
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(CheckDestinationFolder(c.path) == DestinationCheck::Exists, c.folderAfter);
    }
    EXPECT_THAT(test::NamesIn(temp / "out"), ElementsAre("yes/"));
}

TEST_F(RunRequestFolders, DestinationOfARunThatCreatesNothing) {
    EXPECT_TRUE(AcceptDestinationWithoutCreating(temp / "out"));
    EXPECT_TRUE(AcceptDestinationWithoutCreating(temp / "out/new"));
    EXPECT_FALSE(AcceptDestinationWithoutCreating(temp / "a/b"));
    EXPECT_THAT(test::NamesIn(temp / "out"), IsEmpty());
}

TEST(RunRequestExtensions, TakenAsTyped) {
    EXPECT_EQ(MakeExtensionList(ImageExtensions), ",jpeg,jpg,gif,png,bmp,");
    EXPECT_EQ(MakeExtensionList(ArchiveExtensions), ",lzh,lha,zip,cab,gz,tar,cpt,");
    EXPECT_EQ(MakeExtensionList("jpg, PNG"), ",jpg, PNG,");
    EXPECT_EQ(MakeExtensionList(""), ",,");
}

}  // namespace
}  // namespace tessel
