// files/same_bytes.h: whether two files hold the same bytes, read side by side. The copy
// planner asks it before it takes a number, the content index before it calls a file a
// copy of another, and the verification of a copy after it is in place.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>

namespace tessel {

enum class Comparison { Same, Different, Stopped };

// Where the second file's bytes are read from: the system's cache like any read, or the disk
// (os::OpenForVerifying), for a copy that is read back to learn what reached the disk.
enum class SecondFrom { Cache, Disk };

// Whether `first` and `second`, whose entries both give `size`, hold the same bytes. A file
// that cannot be opened or read counts as different: whoever asks then copies rather than
// loses a file. The stop is heard between blocks.
Comparison CompareBytes(const std::string& first, const std::string& second, std::uint64_t size,
                        const std::stop_token& stop, SecondFrom from = SecondFrom::Cache);

}  // namespace tessel
