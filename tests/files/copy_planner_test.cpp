// The three collision rules on a real destination, including collisions with copies made
// earlier in the same run.
#include "files/copy_planner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/os/io_hold.h"
#include "files/texts.h"
#include "support/test_support.h"

namespace tessel {
namespace {

const std::string Duplicates = text::DuplicatesFolder;
constexpr DuplicateMode AllModes[] = {DuplicateMode::Numbered, DuplicateMode::Overwrite,
                                      DuplicateMode::SeparateFolder};

std::uint64_t SizeOf(const std::string& path) {
    return test::ReadBytes(path).size();
}

TEST(CopyPlanner, EmptyDestinationTakesEveryNameAsItIs) {
    for (const DuplicateMode mode : AllModes) {
        SCOPED_TRACE(static_cast<int>(mode));
        TempFolder root;
        test::WriteSizedFiles(root,
                              {{"src/a.jpg", 10}, {"src/sub/b.png", 20}, {"src/x.tar.gz", 30}});
        test::MakeFolders(root / "dest");
        for (const char* file : {"src/a.jpg", "src/sub/b.png", "src/x.tar.gz"})
            EXPECT_TRUE(CopyFoundFile(root / file, root / "dest", mode).Saved());
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", "b.png", "x.tar.gz"));
        EXPECT_EQ(SizeOf(root / "dest/x.tar.gz"), 30u);
    }
}

TEST(CopyPlanner, NumberedSkipsEqualSizesAndNumbersOthers) {
    TempFolder root;
    test::WriteSized(root / "dest/a.jpg", 500, 'd');
    test::WriteSized(root / "same/a.jpg", 500, 's');
    test::WriteSized(root / "other/a.jpg", 700);
    test::WriteSized(root / "third/a.jpg", 900);

    // Same name, same size: not written again, not counted, the old file untouched.
    EXPECT_FALSE(
        CopyFoundFile(root / "same/a.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"), std::vector<std::uint8_t>(500, 'd'));
    EXPECT_TRUE(
        CopyFoundFile(root / "other/a.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_TRUE(
        CopyFoundFile(root / "third/a.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a(1).jpg", "a(2).jpg", "a.jpg"));
    EXPECT_EQ(SizeOf(root / "dest/a(1).jpg"), 700u);
    EXPECT_EQ(SizeOf(root / "dest/a(2).jpg"), 900u);
    // The 700-byte file stands under a(1).jpg already: it does not come again.
    EXPECT_FALSE(
        CopyFoundFile(root / "other/a.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a(1).jpg", "a(2).jpg", "a.jpg"));
}

TEST(CopyPlanner, NumbersArePlainDecimal) {
    TempFolder root;
    test::WriteSized(root / "dest/a.jpg", 1);
    for (int n = 1; n <= 10; ++n)
        test::WriteSized(root / ("dest/a(" + std::to_string(n) + ").jpg"), 1);
    test::WriteSized(root / "src/a.jpg", 2);
    EXPECT_TRUE(CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_EQ(SizeOf(root / "dest/a(11).jpg"), 2u);
}

TEST(CopyPlanner, BaseAndExtensionSplitAtTheLastDot) {
    const struct {
        const char* name;
        const char* first;
        const char* second;
    } cases[] = {
        {"x.tar.gz", "x.tar(1).gz", "x.tar(2).gz"},
        {".jpg", "(1).jpg", "(2).jpg"},
        {"a.b.c.png", "a.b.c(1).png", "a.b.c(2).png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder root;
        test::WriteSized(root / "dest" + Sep() + c.name, 1);
        test::WriteSized(root / "one" + Sep() + c.name, 2);
        test::WriteSized(root / "two" + Sep() + c.name, 3);
        EXPECT_TRUE(
            CopyFoundFile(root / "one" + Sep() + c.name, root / "dest", DuplicateMode::Numbered)
                .Saved());
        EXPECT_TRUE(
            CopyFoundFile(root / "two" + Sep() + c.name, root / "dest", DuplicateMode::Numbered)
                .Saved());
        EXPECT_THAT(NamesIn(root / "dest"), UnorderedElementsAre(c.name, c.first, c.second));
        EXPECT_EQ(SizeOf(root / "dest" + Sep() + c.first), 2u);
        EXPECT_EQ(SizeOf(root / "dest" + Sep() + c.second), 3u);
    }
}

TEST(CopyPlanner, CopiesOfTheSameRunCollideWithEachOther) {
    const struct {
        DuplicateMode mode;
        std::uint64_t secondSize;
        bool secondSaved;
        std::vector<std::string> names;
    } cases[] = {
        {DuplicateMode::Numbered, 20, true, {"a(1).jpg", "a.jpg"}},
        {DuplicateMode::Numbered, 10, false, {"a.jpg"}},
        {DuplicateMode::Overwrite, 20, true, {"a.jpg"}},
        {DuplicateMode::Overwrite, 10, true, {"a.jpg"}},
        {DuplicateMode::SeparateFolder, 20, true, {"a.jpg", Duplicates + "/"}},
        {DuplicateMode::SeparateFolder, 10, true, {"a.jpg", Duplicates + "/"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        SCOPED_TRACE(c.secondSize);
        TempFolder root;
        test::WriteSized(root / "src/one/a.jpg", 10, '1');
        test::WriteSized(root / "src/two/a.jpg", c.secondSize, '2');
        test::MakeFolders(root / "dest");
        EXPECT_TRUE(CopyFoundFile(root / "src/one/a.jpg", root / "dest", c.mode).Saved());
        EXPECT_EQ(CopyFoundFile(root / "src/two/a.jpg", root / "dest", c.mode).Saved(),
                  c.secondSaved);
        EXPECT_EQ(NamesIn(root / "dest"), c.names);
    }
}

TEST(CopyPlanner, OverwriteSavesNothingWhereCopyFileAWouldRefuse) {
    // A read-only target, and a destination that is the source's own folder: the file is
    // not counted as saved and keeps its bytes.
    TempFolder root;
    test::WriteSized(root / "src/a.jpg", 10, 'n');
    test::WriteSized(root / "dest/a.jpg", 20, 'o');
    test::SetReadOnly(root / "dest/a.jpg");
    EXPECT_FALSE(
        CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::Overwrite).Saved());
    EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"), std::vector<std::uint8_t>(20, 'o'));
    for (const DuplicateMode mode : {DuplicateMode::Numbered, DuplicateMode::Overwrite}) {
        SCOPED_TRACE(static_cast<int>(mode));
        EXPECT_FALSE(CopyFoundFile(root / "src/a.jpg", root / "src", mode).Saved());
        EXPECT_EQ(test::ReadBytes(root / "src/a.jpg"), std::vector<std::uint8_t>(10, 'n'));
    }
    EXPECT_THAT(NamesIn(root / "src"), ElementsAre("a.jpg"));
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg"));
}

TEST(CopyPlanner, OverwriteReplacesWithTheLaterFile) {
    TempFolder root;
    test::WriteSized(root / "one/a.jpg", 10, '1');
    test::WriteSized(root / "two/a.jpg", 10, '2');
    test::MakeFolders(root / "dest");
    EXPECT_TRUE(CopyFoundFile(root / "one/a.jpg", root / "dest", DuplicateMode::Overwrite).Saved());
    EXPECT_TRUE(CopyFoundFile(root / "two/a.jpg", root / "dest", DuplicateMode::Overwrite).Saved());
    EXPECT_EQ(test::ReadBytes(root / "dest/a.jpg"), std::vector<std::uint8_t>(10, '2'));
}

TEST(CopyPlanner, SeparateFolderCollectsCollisionsAndNumbersInside) {
    TempFolder root;
    const std::string dup = root / "dest" + Sep() + Duplicates;
    test::WriteSized(root / "dest/a.jpg", 500);
    test::WriteSized(root / "one/a.jpg", 500, '1');
    test::WriteSized(root / "two/a.jpg", 700, '2');
    test::WriteSized(root / "three/a.jpg", 500, '3');

    // The first level compares names only: an equal file still goes to the folder.
    EXPECT_TRUE(
        CopyFoundFile(root / "one/a.jpg", root / "dest", DuplicateMode::SeparateFolder).Saved());
    EXPECT_THAT(NamesIn(dup), ElementsAre("a.jpg"));
    // Inside, the numbering rule with its size comparison applies.
    EXPECT_TRUE(
        CopyFoundFile(root / "two/a.jpg", root / "dest", DuplicateMode::SeparateFolder).Saved());
    EXPECT_FALSE(
        CopyFoundFile(root / "three/a.jpg", root / "dest", DuplicateMode::SeparateFolder).Saved());
    EXPECT_THAT(NamesIn(dup), ElementsAre("a(1).jpg", "a.jpg"));
    EXPECT_EQ(test::ReadBytes(dup + Sep() + "a.jpg"), std::vector<std::uint8_t>(500, '1'));
    EXPECT_EQ(SizeOf(dup + Sep() + "a(1).jpg"), 700u);
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", Duplicates + "/"));
}

TEST(CopyPlanner, SeparateFolderMadeOnlyOnACollision) {
    TempFolder root;
    test::WriteSized(root / "src/a.jpg", 5);
    test::MakeFolders(root / "dest");
    EXPECT_TRUE(
        CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::SeparateFolder).Saved());
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg"));
}

TEST(CopyPlanner, SeparateFolderThatCannotBeMadeSavesNothing) {
    TempFolder root;
    test::WriteSized(root / "dest/a.jpg", 5);
    test::WriteSized(root / "dest" + Sep() + Duplicates, 1);  // a file has the folder's name
    test::WriteSized(root / "src/a.jpg", 6);
    EXPECT_FALSE(
        CopyFoundFile(root / "src/a.jpg", root / "dest", DuplicateMode::SeparateFolder).Saved());
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg", Duplicates));
}

TEST(CopyPlanner, AFolderNamedLikeTheFileIsNeverReplaced) {
    for (const DuplicateMode mode : AllModes) {
        SCOPED_TRACE(static_cast<int>(mode));
        TempFolder root;
        test::WriteSized(root / "dest/a.jpg/inside.txt", 3);
        test::WriteSized(root / "src/a.jpg", 5);
        EXPECT_FALSE(CopyFoundFile(root / "src/a.jpg", root / "dest", mode).Saved());
        EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("a.jpg/"));
        EXPECT_THAT(NamesIn(root / "dest/a.jpg"), ElementsAre("inside.txt"));
    }
}

TEST(CopyPlanner, OtherModesCopyNothing) {
    TempFolder root;
    test::WriteSized(root / "src/a.jpg", 5);
    test::MakeFolders(root / "dest");
    for (const std::uint32_t value : {0u, 1u, 6u, 14u, 16u}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(
            CopyFoundFile(root / "src/a.jpg", root / "dest", static_cast<DuplicateMode>(value))
                .Saved());
    }
    EXPECT_THAT(NamesIn(root / "dest"), IsEmpty());
}

TEST(CopyPlanner, StoppedCopySavesNothing) {
    TempFolder root;
    test::WriteSized(root / "src/a.jpg", 5);
    test::WriteSized(root / "dest/b.jpg", 5);
    std::stop_source stopper;
    stopper.request_stop();
    for (const DuplicateMode mode : AllModes) {
        EXPECT_FALSE(
            CopyFoundFile(root / "src/a.jpg", root / "dest", mode, stopper.get_token()).Saved());
    }
    EXPECT_THAT(NamesIn(root / "dest"), ElementsAre("b.jpg"));
}

TEST(CopyPlanner, TellsWhatBecameOfTheFileAndWhere) {
    TempFolder root;
    test::WriteSized(root / "src/a.jpg", 10, 'n');
    test::WriteSizedFiles(root,
                          {{"dest/same.jpg", 10}, {"src/same.jpg", 10}, {"dest/locked.jpg", 3}});
    test::SetReadOnly(root / "dest/locked.jpg");
    test::WriteSized(root / "src/locked.jpg", 10);
    std::stop_source stopped;
    stopped.request_stop();
    const std::string dest = root / "dest";
    const struct {
        const char* what;
        std::string source;
        std::string destination;
        DuplicateMode mode;
        std::stop_token stop;
        Outcome outcome;
        std::string path;  // empty: none
    } cases[] = {
        {"saved",
         root / "src/a.jpg",
         dest,
         DuplicateMode::Numbered,
         {},
         Outcome::Saved,
         root / "dest/a.jpg"},
        {"same name and size",
         root / "src/same.jpg",
         dest,
         DuplicateMode::Numbered,
         {},
         Outcome::SameNameAndSize,
         root / "dest/same.jpg"},
        {"a read-only target",
         root / "src/locked.jpg",
         dest,
         DuplicateMode::Overwrite,
         {},
         Outcome::Failed,
         root / "dest/locked.jpg"},
        {"the source itself",
         root / "src/a.jpg",
         root / "src",
         DuplicateMode::Overwrite,
         {},
         Outcome::Failed,
         root / "src/a.jpg"},
        {"a source that is gone",
         root / "src/gone.jpg",
         dest,
         DuplicateMode::Numbered,
         {},
         Outcome::Failed,
         root / "dest/gone.jpg"},
        {"stopped", root / "src/a.jpg", root / "dest/new", DuplicateMode::Numbered,
         stopped.get_token(), Outcome::Stopped, ""},
        {"no duplicate mode",
         root / "src/a.jpg",
         dest,
         static_cast<DuplicateMode>(0),
         {},
         Outcome::Failed,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const FileAccount report = CopyFoundFile(c.source, c.destination, c.mode, c.stop);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.destination, c.path);
        EXPECT_EQ(report.Saved(), c.outcome == Outcome::Saved);
    }
}

TEST(CopyPlanner, ANameTakenMeanwhileIsChosenAgainByTheRule) {
    // Someone else writes the chosen name just before the copy takes it (`times` placings in a
    // row; 0 for every one): the rule decides again as if that file had stood there from the
    // start, and the copy already written takes the new name.
    const struct {
        const char* what;
        DuplicateMode mode;
        std::vector<const char*> held;  // files of 30 bytes 'h' before the copy
        std::uint64_t takenSize;        // what the other writer puts there
        char takenSeed;
        int times;
        Outcome outcome;
        std::string path;  // relative to dest
        std::vector<std::string> names;
    } cases[] = {
        {"numbered, another size",
         DuplicateMode::Numbered,
         {},
         7,
         'o',
         1,
         Outcome::Saved,
         "a(1).jpg",
         {"a(1).jpg", "a.jpg"}},
        {"numbered, the same size",
         DuplicateMode::Numbered,
         {},
         10,
         'o',
         1,
         Outcome::SameNameAndSize,
         "a.jpg",
         {"a.jpg"}},
        {"numbered, the same bytes under a number",
         DuplicateMode::Numbered,
         {"a.jpg"},
         10,
         's',
         1,
         Outcome::SameContent,
         "a(1).jpg",
         {"a(1).jpg", "a.jpg"}},
        {"numbered, other bytes under a number",
         DuplicateMode::Numbered,
         {"a.jpg"},
         10,
         'o',
         1,
         Outcome::Saved,
         "a(2).jpg",
         {"a(1).jpg", "a(2).jpg", "a.jpg"}},
        {"numbered, twice in a row",
         DuplicateMode::Numbered,
         {},
         7,
         'o',
         2,
         Outcome::Saved,
         "a(2).jpg",
         {"a(1).jpg", "a(2).jpg", "a.jpg"}},
        {"separate, other bytes",
         DuplicateMode::SeparateFolder,
         {},
         10,
         'o',
         1,
         Outcome::Saved,
         Duplicates + "/a.jpg",
         {"a.jpg", Duplicates + "/"}},
        {"separate, the same bytes",
         DuplicateMode::SeparateFolder,
         {},
         10,
         's',
         1,
         Outcome::SameContent,
         "a.jpg",
         {"a.jpg"}},
        {"overwrite replaces as ever",
         DuplicateMode::Overwrite,
         {},
         7,
         'o',
         1,
         Outcome::Saved,
         "a.jpg",
         {"a.jpg"}},
        {"taken every time", DuplicateMode::Numbered, {}, 7, 'o', 0, Outcome::Failed, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        test::WriteSized(root / "src/a.jpg", 10, 's');
        test::MakeFolders(root / "dest");
        for (const char* name : c.held) test::WriteSized(root / "dest" + Sep() + name, 30, 'h');
        int placings = 0;
        os::SetIoHold([&](os::IoStep step, std::string_view target, std::uint64_t) {
            if (step != os::IoStep::Place) return;
            if (c.times != 0 && placings >= c.times) return;
            ++placings;
            test::WriteSized(std::string(target), c.takenSize, c.takenSeed);
        });
        const FileAccount account =
            CopyFoundFile(root / "src/a.jpg", root / "dest", c.mode, {}, 10);
        os::SetIoHold({});
        EXPECT_EQ(account.outcome, c.outcome) << account.reason;
        if (c.times == 0) {
            EXPECT_EQ(placings, PlacingAttempts);
            EXPECT_EQ(account.reason, text::NamesTakenMeanwhile);
            continue;
        }
        EXPECT_EQ(account.destination, root / ("dest/" + c.path));
        // The copy was written once, and nothing of it stands but under its final name.
        EXPECT_EQ(NamesIn(root / "dest"), c.names);
        if (c.outcome == Outcome::Saved) {
            EXPECT_EQ(test::ReadBytes(account.destination), std::vector<std::uint8_t>(10, 's'));
        }
    }
}

TEST(CopyPlanner, JapaneseNamesWithBackslashTrailBytes) {
    TempFolder root;
    const std::string name = "表.jpg";
    const std::string source = root / "ソフト" + Sep() + name;
    test::WriteSized(source, 8);
    test::WriteSized(root / "予備" + Sep() + name, 9);
    test::MakeFolders(root / "dest");
    EXPECT_TRUE(CopyFoundFile(source, root / "dest", DuplicateMode::Numbered).Saved());
    EXPECT_TRUE(CopyFoundFile(root / "予備" + Sep() + name, root / "dest", DuplicateMode::Numbered)
                    .Saved());
    // The 9-byte file: 表.jpg holds the 8-byte one.
    EXPECT_TRUE(
        CopyFoundFile(root / "予備" + Sep() + name, root / "dest", DuplicateMode::SeparateFolder)
            .Saved());
    EXPECT_THAT(NamesIn(root / "dest"), UnorderedElementsAre(name, "表(1).jpg", Duplicates + "/"));
    EXPECT_THAT(NamesIn(root / "dest" + Sep() + Duplicates), ElementsAre(name));
}

}  // namespace
}  // namespace tessel
