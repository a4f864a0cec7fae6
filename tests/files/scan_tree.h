// tests/files/scan_tree.h: the search phase as the folder scan tests run it, with the folder
// lines a front end would show.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/folder_scan.h"

namespace tessel::test {

// The image kind's list, as the run request makes it.
inline constexpr const char* Images = ",jpeg,jpg,gif,png,bmp,";

// What one scan found, and the folders it entered in the order it entered them.
struct Scan {
    FoundFileList list;
    std::vector<std::string> lines;
    std::size_t count = 0;
};

inline Scan ScanTree(const std::string& folder, const std::string& extensions = Images) {
    Scan scan;
    ScanHooks hooks;
    hooks.folderEntered = [&](const std::string& f) { scan.lines.push_back(f); };
    scan.count = ScanFolder(folder, extensions, scan.list, hooks);
    return scan;
}

}  // namespace tessel::test

namespace tessel {
using test::Images;
using test::Scan;
using test::ScanTree;
}  // namespace tessel
