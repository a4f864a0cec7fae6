// files/path_tests.cpp: the existence tests over the seam's GetEntry. A folder is any entry
// with the directory bit, whatever else is set: a read-only or hidden folder is a folder.
#include "files/path_tests.h"

namespace tessel {

bool IsFolderEntry(std::uint32_t attributes) {
    return (attributes & os::AttrDirectory) != 0;
}

bool FileExists(const std::string& path) {
    os::DirEntry entry;
    return os::GetEntry(path, entry) && !IsFolderEntry(entry.attributes);
}

bool FolderExists(const std::string& path) {
    os::DirEntry entry;
    return os::GetEntry(path, entry) && IsFolderEntry(entry.attributes);
}

bool QueryEntry(const std::string& path, os::DirEntry& entry) {
    return os::GetEntry(path, entry);
}

std::optional<std::size_t> FindLastChar(std::string_view text, char c) {
    return FindLastChar(text, c, os::NativeCodePage);
}

}  // namespace tessel
