// files/content_index.h: which bytes the destination holds already, whatever their names.
// The destination's files are indexed by size from one listing of each folder; a file is
// read only when its size meets another's, then hashed (XXH3, 128 bits), and a hash that
// meets one is confirmed byte for byte before the index calls two files the same. One run
// owns one index, on its worker thread.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessel {

class ContentIndex {
public:
    // Adds the plain files at the top level of `folder` (no trailing separator); a missing
    // or unreadable folder adds nothing.
    void AddFolder(const std::string& folder);

    // A file of the index that holds the bytes of `path`, whose size is `size`; nullopt when
    // none does, when `path` cannot be read, or when the stop was requested.
    std::optional<std::string> Find(const std::string& path, std::uint64_t size,
                                    const std::stop_token& stop);

    // `path` now holds `size` bytes equal to those of `from` (a copy just made), or with
    // `from` empty bytes of its own. What the index held under that name goes: it was
    // replaced. A hash that Find worked out for `from` is kept for the copy.
    void Add(const std::string& path, std::uint64_t size, const std::string& from = {});

    // Whether a file of `size` is in the index.
    bool Knows(std::uint64_t size) const { return bySize_.contains(size); }

    // `path` holds nothing the index should know of any more (a copy removed again).
    void Remove(const std::string& path);

private:
    struct Hash {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        bool operator==(const Hash&) const = default;
    };
    struct Entry {
        std::string path;
        std::optional<Hash> hash;  // worked out the first time another file meets its size
    };

    std::optional<Hash> HashOf(const std::string& path, const std::stop_token& stop);

    std::unordered_map<std::uint64_t, std::vector<Entry>> bySize_;
    std::unordered_map<std::string, std::uint64_t> sizeOf_;  // path -> its size in bySize_
    // The last hash Find worked out, for Add to give the copy of that file.
    std::string lastHashed_;
    std::optional<Hash> lastHash_;
};

}  // namespace tessel
