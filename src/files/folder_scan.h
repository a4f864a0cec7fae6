// files/folder_scan.h: the search phase of a run. Walks a folder tree depth-first, in the
// order the file system delivers entries, and keeps every file whose extension is on the
// ExtensionList, with its full path, its SquareSide and its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The run's found files, in scan order. The tables always have the same length.
struct FoundFileList {
    std::vector<std::string> paths;         // folder + separator + name
    std::vector<std::int32_t> squareSides;  // SquareSide of the file at the same index
    std::vector<std::uint64_t> sizes;       // full size of the file at the same index
    std::vector<bool> measured;    // false: no reader could tell its size (its SquareSide is 1)
    std::uint64_t totalBytes = 0;  // sum of the found files' full sizes

    std::size_t Count() const { return paths.size(); }
};

// What the scan tells its caller while it walks. Both may be empty.
struct ScanHooks {
    // Called once for each folder whose listing could be started, before its entries,
    // with the folder's path (no trailing separator). The job appends it to its status text.
    std::function<void(const std::string& folder)> folderEntered;
    // Tested before each folder and each entry: once it is requested the scan returns.
    std::stop_token stop;
    // Whether each file's SquareSide is read from its header; without, every file is found
    // with SquareSide 1 and costs no opening, only the look-up of its size.
    bool measure = true;
    // How many calls to the file system the scan keeps in flight: 1 lists and measures one
    // entry after another; more list the sub-folders ahead of the walk and describe and
    // measure each folder's entries several at a time. The found files and their order are
    // the same either way.
    std::size_t inFlight = 1;
};

// Whether `name` has an extension that occurs in `extensionList` as a whole entry: the
// text after the name's last "." between two commas, ASCII case ignored. The list is the
// user's list with one comma put in front and one behind (",jpg,png,").
bool IsListed(std::string_view extensionList, std::string_view name);

// Adds the matches under `folder` (no trailing separator) to `list`; returns how many
// were added. Never descends into a symbolic link or junction, and skips a sub-folder whose
// path would reach the platform's path limit. A link to a file is kept only when what it
// leads to, every link on the way resolved, lies under `folder` as well; a link that leads
// nowhere is kept (it is found with no size, and nothing can be read to copy).
std::size_t ScanFolder(const std::string& folder, const std::string& extensionList,
                       FoundFileList& list, const ScanHooks& hooks = {});

}  // namespace tessel
