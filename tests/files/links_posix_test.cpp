// No link leads out of the searched tree: a link to a file is taken only when what it leads
// to, every link on the way resolved, lies inside. Not listed, not counted, not copied.
#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/copy_planner.h"
#include "files/folder_scan.h"
#include "files/os/file_system.h"
#include "posix_helpers.h"
#include "support/test_support.h"

namespace tessel {
namespace {

constexpr const char* Images = ",jpeg,jpg,gif,png,bmp,";

// A tree under root/src with one picture of its own, and another tree beside it.
struct Trees {
    TempFolder root;
    Trees() {
        test::WriteSized(root / "src/sub/real.jpg", 11, 'r');
        test::WriteSized(root / "outside/secret.jpg", 22, 's');
        test::MakeFolders(root / "dest");
    }
    // "@" at the start of `target` stands for the root's own absolute path.
    void Link(std::string target, const std::string& at) const {
        if (target.starts_with("@")) target = root.Path() + target.substr(1);
        ASSERT_EQ(::symlink(target.c_str(), (root / at).c_str()), 0) << at;
    }
};

TEST(LinksPosix, ALinkToAFileIsTakenOnlyWhenItLeadsInsideTheTree) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // target, link (under root)
        bool kept;  // src/x.jpg, the link the row is about
    } cases[] = {
        {"inside, relative", {{"sub/real.jpg", "src/x.jpg"}}, true},
        {"inside, by an absolute path", {{"@/src/sub/real.jpg", "src/x.jpg"}}, true},
        {"to a sibling folder outside", {{"../outside/secret.jpg", "src/x.jpg"}}, false},
        {"to an absolute path outside", {{"@/outside/secret.jpg", "src/x.jpg"}}, false},
        {"to a system file", {{"/etc/passwd", "src/x.jpg"}}, false},
        {"a chain of links that ends outside",
         {{"../../outside/secret.jpg", "src/sub/hop.txt"}, {"sub/hop.txt", "src/x.jpg"}},
         false},
        {"a chain that leaves the tree and comes back",
         {{"../src/sub/real.jpg", "outside/back.txt"}, {"../outside/back.txt", "src/x.jpg"}},
         true},
        {"through a folder link that leads outside",
         {{"../outside", "src/away"}, {"away/secret.jpg", "src/x.jpg"}},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Trees trees;
        for (const auto& [target, at] : c.links) trees.Link(target, at);
        FoundFileList list;
        ScanFolder(trees.root / "src", Images, list);
        std::vector<std::string> expected = {trees.root / "src/sub/real.jpg"};
        if (c.kept) expected.push_back(trees.root / "src/x.jpg");
        EXPECT_THAT(list.paths, UnorderedElementsAreArray(expected));
        EXPECT_EQ(list.totalBytes, c.kept ? 22u : 11u);
        for (const std::string& path : list.paths) {
            CopyFoundFile(path, trees.root / "dest", DuplicateMode::Numbered);
        }
        // The secret's 22 bytes of 's' are never copied.
        for (const std::string& name : test::NamesIn(trees.root / "dest")) {
            EXPECT_NE(test::ReadBytes(trees.root / ("dest/" + name)),
                      std::vector<std::uint8_t>(22, 's'))
                << name;
        }
    }
}

TEST(LinksPosix, ADanglingLinkIsFoundAsEverAndNothingIsCopied) {
    Trees trees;
    trees.Link("nowhere.jpg", "src/dangling.jpg");
    trees.Link("../outside/nowhere.jpg", "src/dangling-out.jpg");
    FoundFileList list;
    ScanFolder(trees.root / "src", Images, list);
    EXPECT_THAT(list.paths, UnorderedElementsAreArray({trees.root / "src/sub/real.jpg",
                                                       trees.root / "src/dangling.jpg",
                                                       trees.root / "src/dangling-out.jpg"}));
    EXPECT_EQ(list.totalBytes, 11u);
    for (std::size_t i = 0; i < list.Count(); ++i) {
        if (list.paths[i].find("dangling") == std::string::npos) continue;
        SCOPED_TRACE(list.paths[i]);
        EXPECT_EQ(list.squareSides[i], 1);
        EXPECT_EQ(
            CopyFoundFile(list.paths[i], trees.root / "dest", DuplicateMode::Numbered).outcome,
            Outcome::Failed);
    }
    EXPECT_THAT(test::NamesIn(trees.root / "dest"), IsEmpty());
}

TEST(LinksPosix, InsideIsTheTreeALinkAsTheRootLeadsTo) {
    // The user named a link: the tree is the folder it leads to, and a link inside that leads
    // there by the real folder's own path stays inside.
    Trees trees;
    trees.Link("src", "named");
    trees.Link("@/src/sub/real.jpg", "src/by-real-path.jpg");
    trees.Link("../outside/secret.jpg", "src/out.jpg");
    FoundFileList list;
    ScanFolder(trees.root / "named", Images, list);
    EXPECT_THAT(list.paths, UnorderedElementsAreArray({trees.root / "named/sub/real.jpg",
                                                       trees.root / "named/by-real-path.jpg"}));
}

TEST(LinksPosix, ALinkToAFileWhosePathIsPastTheLimitIsLeftOut) {
    // Two links of 2,400 and 2,600 characters lead to a file 5,000 characters deep: the link
    // opens (the kernel follows one link at a time), but no path of it can be told, so nothing
    // shows it lies inside.
    Trees trees;
    const std::string level(200, 'd');
    const int outside =
        ::open((trees.root / "outside").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(outside, 0);
    int fd = ::dup(outside);
    std::string first;   // the levels the first link leads through
    std::string second;  // and the second
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
        const int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(fd = next, 0);
        std::string& part = i < 12 ? first : second;
        part += (part.empty() ? "" : "/") + level;
        if (i == 11) {
            ASSERT_EQ(::symlinkat(first.c_str(), outside, "hop"), 0);
        }
    }
    const int file = ::openat(fd, "far.jpg", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, "far", 3), 3);
    ::close(file);
    ::close(fd);
    const int middle = ::openat(outside, first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(middle, 0);
    ASSERT_EQ(::symlinkat((second + "/far.jpg").c_str(), middle, "hop"), 0);
    ::close(middle);
    trees.Link("../outside/hop/hop", "src/far.jpg");
    ASSERT_EQ(test::ReadBytes(trees.root / "src/far.jpg").size(), 3u);
    ASSERT_FALSE(os::ResolvedPath(trees.root / "src/far.jpg"));

    FoundFileList list;
    ScanFolder(trees.root / "src", Images, list);
    EXPECT_THAT(list.paths, ElementsAreArray({trees.root / "src/sub/real.jpg"}));
    test::RemoveTreeAt(outside, level.c_str());
    ::close(outside);
}

}  // namespace
}  // namespace tessel
