// files/folder_scan.cpp: the search phase. The walk keeps its own stack of open listings
// instead of recursing, so a deep tree costs heap, not the worker thread's stack.
#include "files/folder_scan.h"

#include <utility>

#include "files/code_page.h"
#include "files/image_probe.h"
#include "files/os/file_system.h"
#include "files/path_tests.h"

namespace tessel {
namespace {

struct OpenFolder {
    std::string path;
    std::vector<os::DirEntry> entries;
    std::size_t next = 0;
};

class Walk {
public:
    Walk(const std::string& extensionList, FoundFileList& list, const ScanHooks& hooks)
        : extensionList_(extensionList), list_(list), hooks_(hooks) {}

    std::size_t Run(const std::string& root) {
        const std::size_t before = list_.Count();
        Enter(root);
        while (!stack_.empty() && !hooks_.stop.stop_requested()) {
            OpenFolder& top = stack_.back();
            if (top.next == top.entries.size()) {
                stack_.pop_back();
                continue;
            }
            const os::DirEntry entry = std::move(top.entries[top.next++]);
            std::string path = top.path + os::PathSeparator + entry.name;
            if (IsFolderEntry(entry.attributes)) {
                EnterSubFolder(std::move(path), entry);
            } else {
                Consider(std::move(path), entry);
            }
        }
        return list_.Count() - before;
    }

private:
    // Opens the listing of `folder` and makes it the current one. A folder that cannot be
    // listed contributes nothing, not even its line.
    void Enter(std::string folder) {
        if (hooks_.stop.stop_requested()) return;
        OpenFolder open;
        // Files off the list are not even looked up.
        const auto listed = [this](std::string_view name) {
            return IsListed(extensionList_, name);
        };
        if (!os::ListFolder(folder, open.entries, listed)) return;
        if (hooks_.folderEntered) hooks_.folderEntered(folder);
        open.path = std::move(folder);
        stack_.push_back(std::move(open));
    }

    void EnterSubFolder(std::string path, const os::DirEntry& entry) {
        // A link or junction may lead back up the tree; its target is searched, if at all,
        // where it really lies.
        if (entry.attributes & os::AttrReparsePoint) return;
        // The platform could not open it anyway (and on Windows the original text buffer
        // ends there).
        if (path.size() + 1 > os::MaxPath) return;
        // The entry may have been replaced since the listing; look again, and never follow
        // what is now a link.
        os::DirEntry now;
        if (!QueryEntry(path, now) || !IsFolderEntry(now.attributes) ||
            (now.attributes & os::AttrReparsePoint)) {
            return;
        }
        Enter(std::move(path));
    }

    void Consider(std::string path, const os::DirEntry& entry) {
        if (entry.attributes & os::AttrDevice) return;
        if (!IsListed(extensionList_, entry.name)) return;
        const std::int32_t side = MeasureSquareSide(path);
        list_.totalBytes += entry.size;
        list_.sizes.push_back(entry.size);
        list_.squareSides.push_back(side);
        list_.paths.push_back(std::move(path));
    }

    const std::string& extensionList_;
    FoundFileList& list_;
    const ScanHooks& hooks_;
    std::vector<OpenFolder> stack_;
};

}  // namespace

bool IsListed(std::string_view extensionList, std::string_view name) {
    const auto dot = FindLastChar(name, '.', os::NativeCodePage);
    if (!dot) return false;
    std::string key = ",";
    key += name.substr(*dot + 1);
    key += ',';
    return ContainsNoCase(extensionList, key, os::NativeCodePage);
}

std::size_t ScanFolder(const std::string& folder, const std::string& extensionList,
                       FoundFileList& list, const ScanHooks& hooks) {
    return Walk(extensionList, list, hooks).Run(folder);
}

}  // namespace tessel
