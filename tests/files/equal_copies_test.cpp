// An equal copy is never made again: re-runs over an unchanged tree, the numbered names the
// planner compares on its way to a free one, and the stop inside a comparison.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "files/copy_planner.h"
#include "files/texts.h"
#include "support/io_gate.h"
#include "support/test_support.h"

namespace tessel {
namespace {

const std::string D = text::DuplicatesFolder;

// "saved a(1).jpg", "same-content D/a.jpg", ...: the outcome and its path, relative to
// `destination`, with '/' between levels and the duplicates folder as D.
std::string Told(const FileAccount& report, const std::string& destination) {
    std::string told(OutcomeWord(report.outcome));
    if (report.destination.empty()) return told;
    std::string path = report.destination.starts_with(destination + Sep())
                           ? report.destination.substr(destination.size() + 1)
                           : report.destination;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    if (path.starts_with(D + "/")) path = "D" + path.substr(D.size());
    return told + " " + path;
}

// What a run may have changed in `folder`: every entry with its size and modification time,
// and every folder's modification time, which a file made, removed or renamed in it changes
// (a temporary file too). In the modes that never replace a file, an unchanged snapshot means
// nothing was written.
std::vector<std::string> Snapshot(const std::string& folder) {
    namespace fs = std::filesystem;
    const fs::path top(std::u8string(folder.begin(), folder.end()));
    std::vector<std::string> lines;
    const auto add = [&](const fs::path& path) {
        const std::u8string name = path.lexically_relative(top).u8string();
        const bool isFolder = fs::is_directory(path);
        lines.push_back(std::string(name.begin(), name.end()) + " " +
                        std::to_string(isFolder ? 0 : fs::file_size(path)) + " " +
                        std::to_string(fs::last_write_time(path).time_since_epoch().count()));
    };
    add(top);
    for (const auto& entry : fs::recursive_directory_iterator(top)) add(entry.path());
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(EqualCopies, ReRunsOverAnUnchangedTreeSaveNothingAndWriteNothing) {
    // Five a.jpg of three sizes (two, three and four share one; two and four are equal) and
    // a name of its own.
    TempFolder root;
    const struct {
        const char* path;
        std::uint64_t size;
        std::uint8_t seed;
    } sources[] = {
        {"src/one/a.jpg", 10, '1'},  {"src/two/a.jpg", 20, '2'},  {"src/three/a.jpg", 20, '3'},
        {"src/four/a.jpg", 20, '2'}, {"src/five/a.jpg", 30, '5'}, {"src/b.png", 5, 'b'},
    };
    for (const auto& s : sources) test::WriteSized(root / s.path, s.size, s.seed);

    const struct {
        DuplicateMode mode;
        std::vector<std::string> firstRun;
        std::vector<std::string> reRun;
    } cases[] = {
        {DuplicateMode::Numbered,
         // four is two's equal: even the first run does not copy it twice.
         {"saved a.jpg", "saved a(1).jpg", "saved a(2).jpg", "same-content a(1).jpg",
          "saved a(3).jpg", "saved b.png"},
         {"same-name-size a.jpg", "same-content a(1).jpg", "same-content a(2).jpg",
          "same-content a(1).jpg", "same-content a(3).jpg", "same-name-size b.png"}},
        {DuplicateMode::SeparateFolder,
         // Inside the duplicates folder the plain name's rule leaves three and four out:
         // they have the size of two, which took D/a.jpg first.
         {"saved a.jpg", "saved D/a.jpg", "same-name-size D/a.jpg", "same-name-size D/a.jpg",
          "saved D/a(1).jpg", "saved b.png"},
         {"same-content a.jpg", "same-name-size D/a.jpg", "same-name-size D/a.jpg",
          "same-name-size D/a.jpg", "same-content D/a(1).jpg", "same-content b.png"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        const std::string destination = root / ("dest" + std::to_string(static_cast<int>(c.mode)));
        test::MakeFolders(destination);
        std::vector<std::string> after;
        for (int run = 1; run <= 3; ++run) {
            SCOPED_TRACE(run);
            std::vector<std::string> told;
            for (const auto& s : sources) {
                told.push_back(Told(CopyFoundFile(root / s.path, destination, c.mode, {}, s.size),
                                    destination));
            }
            EXPECT_THAT(told, ElementsAreArray(run == 1 ? c.firstRun : c.reRun));
            if (run > 1) {
                EXPECT_EQ(Snapshot(destination), after);
            }
            after = Snapshot(destination);
        }
    }
}

TEST(EqualCopies, TheNumberingComparesTheNamesOnItsWayToTheFirstFreeOne) {
    // `at`: what the destination holds before the file comes, D/ being the duplicates folder and
    // a name ending in "/" a folder. The file that comes is a.jpg of `size` bytes of `seed`.
    struct Held {
        std::string name;
        std::uint64_t size;
        std::uint8_t seed;
    };
    const struct {
        const char* what;
        DuplicateMode mode;
        std::vector<Held> at;
        std::uint64_t size;
        std::uint8_t seed;
        const char* told;
    } cases[] = {
        {"changed, same name and size: the plain name's rule reads nothing",
         DuplicateMode::Numbered,
         {{"a.jpg", 10, 'o'}},
         10,
         'n',
         "same-name-size a.jpg"},
        {"changed, same name and size, separate: other bytes go to the duplicates folder",
         DuplicateMode::SeparateFolder,
         {{"a.jpg", 10, 'o'}},
         10,
         'n',
         "saved D/a.jpg"},
        {"changed, another size",
         DuplicateMode::Numbered,
         {{"a.jpg", 10, 'o'}},
         12,
         'n',
         "saved a(1).jpg"},
        {"an equal copy under a(2) while a(1) holds another file",
         DuplicateMode::Numbered,
         {{"a.jpg", 10, 'x'}, {"a(1).jpg", 20, 'x'}, {"a(2).jpg", 20, 's'}},
         20,
         's',
         "same-content a(2).jpg"},
        {"an equal copy under a(3) behind a free a(2) is not looked for",
         DuplicateMode::Numbered,
         {{"a.jpg", 10, 'x'}, {"a(1).jpg", 20, 'x'}, {"a(3).jpg", 20, 's'}},
         20,
         's',
         "saved a(2).jpg"},
        {"empty files are equal",
         DuplicateMode::Numbered,
         {{"a.jpg", 10, 'x'}, {"a(1).jpg", 0, 0}},
         0,
         0,
         "same-content a(1).jpg"},
        {"a folder under a number is a free number, as ever, and stays",
         DuplicateMode::Numbered,
         {{"a.jpg", 10, 'x'}, {"a(1).jpg/", 0, 0}},
         20,
         's',
         "failed a(1).jpg"},
        {"separate: the plain name holds the same bytes",
         DuplicateMode::SeparateFolder,
         {{"a.jpg", 20, 's'}},
         20,
         's',
         "same-content a.jpg"},
        {"separate: an equal copy under D/a(2) while D/a(1) holds another file",
         DuplicateMode::SeparateFolder,
         {{"a.jpg", 10, 'x'},
          {"D/a.jpg", 30, 'x'},
          {"D/a(1).jpg", 20, 'x'},
          {"D/a(2).jpg", 20, 's'}},
         20,
         's',
         "same-content D/a(2).jpg"},
        {"separate: an equal copy under D/a(3) behind a free D/a(2) is not looked for",
         DuplicateMode::SeparateFolder,
         {{"a.jpg", 10, 'x'},
          {"D/a.jpg", 30, 'x'},
          {"D/a(1).jpg", 20, 'x'},
          {"D/a(3).jpg", 20, 's'}},
         20,
         's',
         "saved D/a(2).jpg"},
        {"separate: inside, same name and size reads nothing",
         DuplicateMode::SeparateFolder,
         {{"a.jpg", 10, 'x'}, {"D/a.jpg", 20, 'x'}},
         20,
         's',
         "same-name-size D/a.jpg"},
        {"overwrite replaces an equal file, as ever",
         DuplicateMode::Overwrite,
         {{"a.jpg", 20, 's'}},
         20,
         's',
         "saved a.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        const std::string destination = root / "dest";
        test::MakeFolders(destination);
        for (const Held& h : c.at) {
            const std::string path =
                root / ("dest/" + (h.name.starts_with("D/") ? D + h.name.substr(1) : h.name));
            if (h.name.ends_with("/")) {
                test::MakeFolders(path);
            } else {
                test::WriteSized(path, h.size, h.seed);
            }
        }
        test::WriteSized(root / "src/a.jpg", c.size, c.seed);
        const std::vector<std::string> before = test::FilesUnder(destination);
        EXPECT_EQ(Told(CopyFoundFile(root / "src/a.jpg", destination, c.mode), destination),
                  c.told);
        // Nothing held before is touched; a saved copy is the only new file.
        std::vector<std::string> after = test::FilesUnder(destination);
        EXPECT_EQ(after.size(), before.size() + (std::string_view(c.told).starts_with("saved") &&
                                                         c.mode != DuplicateMode::Overwrite
                                                     ? 1
                                                     : 0));
        for (const Held& h : c.at) {
            if (h.name.ends_with("/") || c.mode == DuplicateMode::Overwrite) continue;
            const std::string path =
                root / ("dest/" + (h.name.starts_with("D/") ? D + h.name.substr(1) : h.name));
            EXPECT_EQ(test::ReadBytes(path), std::vector<std::uint8_t>(h.size, h.seed)) << h.name;
        }
    }
}

TEST(EqualCopies, ADifferenceIsFoundInAnyBlock) {
    // Past the first blocks of a comparison: the last byte alone differs, or the files are equal
    // over every block.
    TempFolder root;
    std::vector<std::uint8_t> bytes(std::size_t{5} << 19);  // 2.5 MiB
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    test::WriteSized(root / "dest/a.jpg", 1);
    test::WriteBytes(root / "dest/a(1).jpg", bytes);
    std::vector<std::uint8_t> last = bytes;
    last.back() ^= 1;
    test::WriteBytes(root / "last/a.jpg", last);
    test::WriteBytes(root / "equal/a.jpg", bytes);
    const std::string destination = root / "dest";
    EXPECT_EQ(
        Told(CopyFoundFile(root / "last/a.jpg", destination, DuplicateMode::Numbered), destination),
        "saved a(2).jpg");
    EXPECT_EQ(Told(CopyFoundFile(root / "equal/a.jpg", destination, DuplicateMode::Numbered),
                   destination),
              "same-content a(1).jpg");
    EXPECT_EQ(test::ReadBytes(root / "dest/a(2).jpg"), last);
}

TEST(EqualCopies, AStopInsideAComparisonWritesNothing) {
    // The comparison is held at its second block, as on a disk that stopped answering, and the
    // run is stopped meanwhile: no copy follows.
    TempFolder root;
    test::WriteSized(root / "dest/a.jpg", 1);
    test::WriteSized(root / "dest/a(1).jpg", 1 << 20, 's');
    test::WriteSized(root / "src/a.jpg", 1 << 20, 's');
    const std::string destination = root / "dest";
    const std::vector<std::string> before = Snapshot(destination);
    test::IoGate gate(os::IoStep::Compare, "a.jpg", 1);
    std::stop_source stopper;
    FileAccount report;
    std::thread run([&] {
        report = CopyFoundFile(root / "src/a.jpg", destination, DuplicateMode::Numbered,
                               stopper.get_token());
    });
    const bool held = gate.WaitUntilHeld();
    stopper.request_stop();
    gate.Release();
    run.join();
    ASSERT_TRUE(held) << "the comparison never reached its second block";
    EXPECT_EQ(Told(report, destination), "stopped");
    EXPECT_EQ(Snapshot(destination), before);
}

}  // namespace
}  // namespace tessel
