#include "app/drop_path.h"

namespace tessel {

DroppedFolders MapDroppedPath(const std::string& dropped, const PathTest& folderExists,
                              const PathTest& fileExists, CodePage cp) {
    std::string path = dropped;
    // The first ".htm" anywhere, so "page.HTML" leads to "page.files" as well.
    if (const auto htm = FindNoCase(path, ".htm", cp)) {
        std::string companion = path.substr(0, *htm) + ".files";
        if (folderExists(companion)) path = std::move(companion);
    }

    DroppedFolders folders;
    if (folderExists(path)) {
        folders.source = path;
    } else if (fileExists(path)) {
        const auto separator = FindLastChar(path, '\\', cp);
        folders.source = separator ? path.substr(0, *separator) : path;
    } else {
        return folders;
    }
    if (const auto files = FindNoCase(*folders.source, ".files", cp)) {
        folders.destination = folders.source->substr(0, *files);
    }
    return folders;
}

}  // namespace tessel
