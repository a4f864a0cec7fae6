// files/folder_scan.cpp: the search phase. The walk keeps its own stack of open listings
// instead of recursing, so a deep tree costs heap, not the worker thread's stack.
#include "files/folder_scan.h"

#include <future>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "base/task_pool.h"
#include "files/code_page.h"
#include "files/image_probe.h"
#include "files/os/file_system.h"
#include "files/path_tests.h"

namespace tessel {
namespace {

// The extension match of one run, with the list prepared once: the scan asks it for every
// entry of the tree.
class ExtensionMatcher {
public:
    // Names are UTF-8, where no byte of a longer character is below 0x80 and a match starts
    // at a comma: folding the ASCII letters of both sides and comparing bytes is the whole
    // rule of ContainsNoCase.
    static_assert(os::NativeCodePage == CodePage::Utf8);

    explicit ExtensionMatcher(std::string_view extensionList) : folded_(extensionList) {
        for (char& c : folded_) c = AsciiLower(c);
    }

    bool operator()(std::string_view name) const {
        const auto dot = FindLastChar(name, '.', os::NativeCodePage);
        if (!dot) return false;
        std::string key = ",";
        key += name.substr(*dot + 1);
        key += ',';
        for (char& c : key) c = AsciiLower(c);
        return folded_.find(key) != std::string::npos;
    }

private:
    std::string folded_;
};

// What the listing keeps of a file no reader could measure: a SquareSide is never negative.
constexpr std::int32_t Unmeasured = -1;

struct OpenFolder {
    std::string path;
    std::vector<os::DirEntry> entries;
    std::size_t next = 0;
};

// A folder's listing, made ahead of the walk.
struct Listed {
    bool listed = false;
    std::vector<os::DirEntry> entries;
};

// How many sub-folders are listed ahead of the walk at most, per call in flight.
constexpr std::size_t ListingsAheadPerCall = 4;

class Walk {
public:
    Walk(const std::string& extensionList, FoundFileList& list, const ScanHooks& hooks)
        : listed_(extensionList), list_(list), hooks_(hooks) {
        options_.wanted = [this](std::string_view name) { return listed_(name); };
        // Every kept file is measured while its folder is listed, opened relative to it.
        if (hooks_.measure) {
            options_.measure = [](os::FileReader* file) {
                const std::optional<std::int32_t> side =
                    file ? ProbeSquareSide(*file) : std::nullopt;
                return side.value_or(Unmeasured);
            };
        }
        options_.stop = hooks_.stop;
        options_.keepLink = [this](const std::string& link,
                                   const std::optional<std::string>& target) {
            return KeepLink(link, target);
        };
        if (hooks_.inFlight > 1) {
            entryPool_ = std::make_unique<TaskPool>(hooks_.inFlight);
            listingPool_ = std::make_unique<TaskPool>(hooks_.inFlight);
            options_.pool = entryPool_.get();
        }
    }

    std::size_t Run(const std::string& root) {
        const std::size_t before = list_.Count();
        root_ = os::ResolvedPath(root);
        // A link as the root is searched: the user named it.
        Enter(root, false);
        while (!stack_.empty() && !hooks_.stop.stop_requested()) {
            OpenFolder& top = stack_.back();
            if (top.next == top.entries.size()) {
                stack_.pop_back();
                continue;
            }
            os::DirEntry entry = std::move(top.entries[top.next++]);
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
    void Enter(std::string folder, bool refuseLink) {
        if (hooks_.stop.stop_requested()) return;
        OpenFolder open;
        const auto ahead = ahead_.find(folder);
        if (ahead != ahead_.end()) {
            Listed listed = ahead->second.get();
            ahead_.erase(ahead);
            if (!listed.listed) return;
            open.entries = std::move(listed.entries);
        } else {
            os::ListOptions options = options_;
            options.refuseLink = refuseLink;
            if (!os::ListFolder(folder, open.entries, options)) return;
        }
        if (hooks_.stop.stop_requested()) return;
        if (hooks_.folderEntered) hooks_.folderEntered(folder);
        open.path = std::move(folder);
        ListAhead(open);
        stack_.push_back(std::move(open));
    }

    // Starts the listings of the sub-folders of `open` that the walk will enter, as far as
    // the bound on listings ahead allows: when the walk gets there, the listing has been made
    // meanwhile, or is under way.
    void ListAhead(const OpenFolder& open) {
        if (!listingPool_) return;
        for (const os::DirEntry& entry : open.entries) {
            if (ahead_.size() >= ListingsAheadPerCall * hooks_.inFlight) return;
            std::string path = open.path + os::PathSeparator + entry.name;
            if (!IsFolderEntry(entry.attributes) || (entry.attributes & os::AttrReparsePoint) ||
                (os::MaxPath != 0 && path.size() + 1 > os::MaxPath) || ahead_.contains(path)) {
                continue;
            }
            os::ListOptions options = options_;
            options.refuseLink = true;
            ahead_.emplace(path, listingPool_->Submit([path, options] {
                Listed listed;
                listed.listed = os::ListFolder(path, listed.entries, options);
                return listed;
            }));
        }
    }

    void EnterSubFolder(std::string path, const os::DirEntry& entry) {
        // A link or junction may lead back up the tree; its target is searched, if at all,
        // where it really lies.
        if (entry.attributes & os::AttrReparsePoint) return;
        // The platform could not open it anyway. Windows has no such limit here: every
        // sub-folder is entered, however deep the tree.
        if (os::MaxPath != 0 && path.size() + 1 > os::MaxPath) return;
        // The entry may have been replaced since the listing: the listing itself refuses
        // what is not a folder now, and never follows what is now a link.
        Enter(std::move(path), true);
    }

    // A link to a file is followed only into the tree the user chose: a picture's name on a
    // link to ~/.ssh/id_rsa takes nothing out of the home folder, however the tree came
    // about (an unpacked archive, a shared folder).
    bool KeepLink(const std::string& link, const std::optional<std::string>& target) const {
        if (target) return root_ && Within(*root_, *target);
        // A link that leads nowhere is kept, as ever: it is found with no size and never
        // copied, for nothing can be read through it. One that leads to a file whose path
        // cannot be told (past the path limit) might lead anywhere: it is left out.
        return os::OpenForReading(link) == nullptr;
    }

    static bool Within(const std::string& folder, const std::string& path) {
        if (path.size() <= folder.size() || !path.starts_with(folder)) return false;
        // A drive or file-system root ends in its separator already.
        return folder.ends_with(os::PathSeparator) || path[folder.size()] == os::PathSeparator;
    }

    void Consider(std::string path, const os::DirEntry& entry) {
        if (entry.attributes & os::AttrDevice) return;
        if (!listed_(entry.name)) return;
        list_.totalBytes += entry.size;
        list_.sizes.push_back(entry.size);
        // Not read at all (nothing needs its size), or read by no reader: SquareSide 1.
        const bool measured = hooks_.measure && entry.measure != Unmeasured;
        list_.squareSides.push_back(measured ? entry.measure : 1);
        list_.measured.push_back(measured);
        list_.paths.push_back(std::move(path));
    }

    std::optional<std::string> root_;  // the searched folder, resolved; none: no link is kept
    ExtensionMatcher listed_;
    FoundFileList& list_;
    const ScanHooks& hooks_;
    os::ListOptions options_;
    std::vector<OpenFolder> stack_;
    std::unordered_map<std::string, std::future<Listed>> ahead_;
    // Last: their threads are joined first, while everything their tasks use still stands.
    std::unique_ptr<TaskPool> entryPool_;
    std::unique_ptr<TaskPool> listingPool_;
};

}  // namespace

bool IsListed(std::string_view extensionList, std::string_view name) {
    return ExtensionMatcher(extensionList)(name);
}

std::size_t ScanFolder(const std::string& folder, const std::string& extensionList,
                       FoundFileList& list, const ScanHooks& hooks) {
    return Walk(extensionList, list, hooks).Run(folder);
}

}  // namespace tessel
