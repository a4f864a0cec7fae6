// tests/support/test_support.h: real files in fresh temporary folders. Paths are UTF-8 on
// every platform, as the engine's are: write them as they are. The run's texts and the log
// are UTF-8 too, on every platform, as the drive reads the window back: Native() names them.
#pragma once

#include <gmock/gmock.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessel::test {

// The platform's separator as a text, for building expected paths.
std::string Sep();

// A UTF-8 literal as the program's texts have it: the same UTF-8 on every platform since the
// window speaks UTF-16 (it was code page 932 under Windows).
std::string Native(std::string_view utf8);

// A fresh empty folder, removed with everything in it by the destructor (read-only and
// hidden entries included).
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + separator + relative (relative uses '/' between levels; converted).
    std::string operator/(std::string_view relative) const;

private:
    std::string path_;
};

// Writes `bytes` to `path`, creating missing parent folders. Fails the test on error.
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, std::string_view text);
// A file of `size` bytes, each byte from `seed`, so equal sizes can differ in content.
void WriteSized(const std::string& path, std::uint64_t size, std::uint8_t seed = 'x');
// Files of the sizes given under `root` (relative paths, '/' between levels), as WriteSized
// writes each.
void WriteSizedFiles(const TempFolder& root,
                     std::initializer_list<std::pair<std::string_view, std::uint64_t>> files);
// `count` files f0<extension>, f1<extension>, ... spread over `folders` sub-folders of `root`
// (file i in d<i % folders>), file i of `size` bytes from seed i: a tree whose copies take a
// while, each file telling its own bytes.
void WriteSpreadFiles(const std::string& root, int count, int folders, std::uint64_t size,
                      std::string_view extension);
// A file of `size` zero bytes that takes no room on disk (a sparse file): long copies for
// tests that need to catch one under way.
void WriteSparse(const std::string& path, std::uint64_t size);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
void MakeFolders(const std::string& path);
// Makes a file read-only: no write permission on POSIX, the read-only attribute on Windows.
void SetReadOnly(const std::string& path);
// The last component of `path`, as the file system's calls name the file.
std::string NameOf(const std::string& path);
// Names directly inside `folder`, sorted; folders are listed with a trailing "/".
std::vector<std::string> NamesIn(const std::string& folder);
// Every file under `folder`, as relative paths with '/' between levels, sorted.
std::vector<std::string> FilesUnder(const std::string& folder);
// A committed file under tests/data.
std::string DataPath(std::string_view relative);
// The size of the file at `path`, -1 when there is none.
std::int64_t FileSize(const std::string& path);
// A file in the folder of the running test program (a program built beside it).
std::string BesideThisTest(std::string_view name);
// How often `part` occurs in `text`, overlapping occurrences included.
std::size_t Occurrences(std::string_view text, std::string_view part);

}  // namespace tessel::test

// The tests live in namespace tessel (each in its own unnamed one): the helpers above and the
// matchers they use everywhere, named there once instead of at the top of every file.
namespace tessel {
using test::DataPath;
using test::NameOf;
using test::NamesIn;
using test::Native;
using test::ReadBytes;
using test::Sep;
using test::TempFolder;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;
}  // namespace tessel
