#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "files/code_page.h"
#include "files/os/file_system.h"

namespace tessel::test {

std::string Native(std::string_view utf8) {
    return std::string(utf8);
}

std::string TempFolder::operator/(std::string_view relative) const {
    std::string result = path_ + Sep();
    for (const char c : relative) result += c == '/' ? Sep() : std::string(1, c);
    return result;
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind(Sep()) + Sep().size());
}

void WriteText(const std::string& path, std::string_view text) {
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void WriteSized(const std::string& path, std::uint64_t size, std::uint8_t seed) {
    WriteBytes(path, std::vector<std::uint8_t>(static_cast<std::size_t>(size), seed));
}

void WriteSizedFiles(const TempFolder& root,
                     std::initializer_list<std::pair<std::string_view, std::uint64_t>> files) {
    for (const auto& [relative, size] : files) WriteSized(root / relative, size);
}

void WriteSpreadFiles(const std::string& root, int count, int folders, std::uint64_t size,
                      std::string_view extension) {
    for (int i = 0; i < count; ++i) {
        WriteSized(root + Sep() + "d" + std::to_string(i % folders) + Sep() + "f" +
                       std::to_string(i) + std::string(extension),
                   size, static_cast<std::uint8_t>(i));
    }
}

std::string DataPath(std::string_view relative) {
    std::string result = TESSEL_TEST_DATA;
    result += Sep();
    for (const char c : relative) result += c == '/' ? Sep() : std::string(1, c);
    return result;
}

std::int64_t FileSize(const std::string& path) {
    os::DirEntry entry;
    if (!os::GetEntry(path, entry) || (entry.attributes & os::AttrDirectory)) return -1;
    return static_cast<std::int64_t>(entry.size);
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

}  // namespace tessel::test
