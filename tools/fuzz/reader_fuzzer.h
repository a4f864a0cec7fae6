// What every header reader promises its callers, checked over arbitrary bytes by each
// reader's libFuzzer target: a size has no zero side, the same bytes give the same size,
// the probe gives that size too when the signature picks the reader, and the number of
// reads stays small however the input is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

#include "files/image_probe.h"

namespace tessel::fuzz {

class CountingSource final : public ByteSource {
public:
    explicit CountingSource(std::span<const std::uint8_t> bytes) : inner_(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        ++reads;
        bytesAsked += buffer.size();
        return inner_.ReadAt(offset, buffer);
    }
    std::size_t reads = 0;
    std::size_t bytesAsked = 0;

private:
    MemorySource inner_;
};

inline void Check(bool condition) {
    if (!condition) std::abort();
}

using Reader = std::optional<ImageSize> (*)(ByteSource&);

// `maxReads`: the reader's own bound (its caps on entries, boxes and steps).
inline int CheckReader(const std::uint8_t* data, std::size_t size, Reader read, ImageFormat format,
                       std::size_t maxReads) {
    const std::span<const std::uint8_t> bytes(data, size);
    CountingSource source(bytes);
    const std::optional<ImageSize> result = read(source);
    Check(source.reads <= maxReads);
    Check(source.bytesAsked <= 64 * maxReads);
    if (result) Check(result->width > 0 && result->height > 0);

    CountingSource again(bytes);
    Check(read(again) == result);

    std::uint8_t head[FormatHeadSize] = {};
    for (std::size_t i = 0; i < size && i < FormatHeadSize; ++i) head[i] = data[i];
    if (DetectFormat(head) == format) {
        MemorySource probe(bytes);
        Check(ReadImageSize(probe) == result);
    }
    return 0;
}

}  // namespace tessel::fuzz
