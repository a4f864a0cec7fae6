#include "files/image_header.h"

#include <algorithm>
#include <cstring>

namespace tessel {

std::size_t MemorySource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    if (offset >= bytes_.size()) return 0;
    const auto start = static_cast<std::size_t>(offset);
    const std::size_t n = std::min(buffer.size(), bytes_.size() - start);
    std::memcpy(buffer.data(), bytes_.data() + start, n);
    return n;
}

}  // namespace tessel
