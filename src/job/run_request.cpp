#include "job/run_request.h"

#include "files/code_page.h"
#include "files/path_tests.h"

namespace tessel {

bool IsValidSourceFolder(const std::string& folder) {
    return FolderExists(folder);
}

DestinationCheck CheckDestinationFolder(const std::string& folder) {
    if (FolderExists(folder)) return DestinationCheck::Exists;
    const auto separator = FindLastChar(folder, os::PathSeparator);
    if (!separator) return DestinationCheck::Invalid;
    if (!FolderExists(folder.substr(0, *separator))) return DestinationCheck::Invalid;
    return DestinationCheck::Missing;
}

bool CreateDestinationFolder(const std::string& folder) {
    return os::MakeFolder(folder);
}

bool AcceptDestination(const std::string& folder, const std::function<bool()>& mayCreate) {
    switch (CheckDestinationFolder(folder)) {
        case DestinationCheck::Exists: return true;
        case DestinationCheck::Invalid: return false;
        case DestinationCheck::Missing: break;
    }
    return mayCreate() && CreateDestinationFolder(folder);
}

bool AcceptDestinationWithoutCreating(const std::string& folder) {
    return CheckDestinationFolder(folder) != DestinationCheck::Invalid;
}

std::string MakeExtensionList(std::string_view typed) {
    std::string list;
    list.reserve(typed.size() + 2);
    list += ',';
    list += typed;
    list += ',';
    return list;
}

}  // namespace tessel
