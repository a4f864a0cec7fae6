// app/drop_path.h: what a file or folder dropped on the window puts into the two folder
// fields. Pure: the existence tests come in as functions, so the rule is tested natively
// on both code pages; the drop handler only reads the drop and applies the result.
//
// The saved-page rule: a web page saved with its pictures is "page.htm" beside the folder
// "page.files". Dropping the page takes that folder as the source and a folder named like
// the page as the destination.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "files/code_page.h"

namespace tessel {

using PathTest = std::function<bool(const std::string& path)>;

struct DroppedFolders {
    std::optional<std::string> source;       // none: the drop changes no field
    std::optional<std::string> destination;  // none: the destination field is left alone
};

// `dropped` is the first dropped item's path. ".htm" and ".files" are found without case
// by whole characters of `cp`; a file gives the folder that holds it (the part before its
// last backslash: "C:" for a file in a drive root).
DroppedFolders MapDroppedPath(const std::string& dropped, const PathTest& folderExists,
                              const PathTest& fileExists, CodePage cp);

}  // namespace tessel
