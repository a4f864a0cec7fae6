#include "cli/folder_argument.h"

#include "files/os/file_system.h"

namespace tessel::cli {

std::string FolderArgument(std::string path, bool bareNameIsRelative) {
    constexpr char separator = os::PathSeparator;
    if constexpr (separator == '\\') {
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
    }
    while (path.size() > 1 && path.back() == separator) path.pop_back();
    const bool drive = separator == '\\' && path.find(':') != std::string::npos;
    if (bareNameIsRelative && path.find(separator) == std::string::npos && !drive) {
        path = std::string(".") + separator + path;
    }
    return path;
}

}  // namespace tessel::cli
