#include "files/content_index.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "files/os/file_system.h"
#include "files/os/io_hold.h"
#include "files/os/path_parts.h"
#include "files/path_tests.h"
#include "files/same_bytes.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace tessel {
namespace {

constexpr std::size_t HashBlock = std::size_t{256} << 10;

struct StateFree {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

}  // namespace

void ContentIndex::AddFolder(const std::string& folder) {
    std::vector<os::DirEntry> entries;
    if (!os::ListFolder(folder, entries)) return;
    for (const os::DirEntry& entry : entries) {
        // Folders, links and devices are no copies of anything.
        constexpr std::uint32_t notPlain =
            os::AttrDirectory | os::AttrDevice | os::AttrReparsePoint;
        if ((entry.attributes & notPlain) != 0) continue;
        Add(folder + os::PathSeparator + entry.name, entry.size);
    }
}

std::optional<std::string> ContentIndex::Find(const std::string& path, std::uint64_t size,
                                              const std::stop_token& stop) {
    const auto same = bySize_.find(size);
    if (same == bySize_.end()) return std::nullopt;
    const std::optional<Hash> mine = HashOf(path, stop);
    if (!mine) return std::nullopt;
    lastHashed_ = path;
    lastHash_ = mine;
    for (Entry& entry : same->second) {
        if (entry.path == path) continue;
        if (!entry.hash) entry.hash = HashOf(entry.path, stop);
        if (entry.hash != mine) continue;
        switch (CompareBytes(path, entry.path, size, stop)) {
            case Comparison::Same: return entry.path;
            case Comparison::Stopped: return std::nullopt;
            case Comparison::Different: break;
        }
    }
    return std::nullopt;
}

void ContentIndex::Add(const std::string& path, std::uint64_t size, const std::string& from) {
    Remove(path);
    Entry entry{path, std::nullopt};
    if (!from.empty() && from == lastHashed_) entry.hash = lastHash_;
    bySize_[size].push_back(std::move(entry));
    sizeOf_[path] = size;
}

void ContentIndex::Remove(const std::string& path) {
    const auto known = sizeOf_.find(path);
    if (known == sizeOf_.end()) return;
    std::vector<Entry>& same = bySize_[known->second];
    std::erase_if(same, [&](const Entry& entry) { return entry.path == path; });
    if (same.empty()) bySize_.erase(known->second);
    sizeOf_.erase(known);
}

std::optional<ContentIndex::Hash> ContentIndex::HashOf(const std::string& path,
                                                       const std::stop_token& stop) {
    const std::unique_ptr<os::FileReader> file = os::OpenForComparing(path);
    if (!file) return std::nullopt;
    const std::unique_ptr<XXH3_state_t, StateFree> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) == XXH_ERROR) return std::nullopt;
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(HashBlock);
    os::HoldIfAsked(os::IoStep::Hash, os::NameOfPath(path), 0);
    for (std::uint64_t offset = 0;;) {
        if (stop.stop_requested()) return std::nullopt;
        const std::size_t got = file->ReadAt(offset, {buffer.get(), HashBlock});
        if (got == 0) break;
        XXH3_128bits_update(state.get(), buffer.get(), got);
        offset += got;
    }
    const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
    return Hash{hash.low64, hash.high64};
}

}  // namespace tessel
