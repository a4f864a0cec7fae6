// libFuzzer target: the header readers over arbitrary bytes. Besides the sanitizers'
// findings it checks what the probe promises its callers: a size only for a known format,
// no zero sides except from a PNG, a SquareSide that is the true integer root (capped),
// and a small bounded number of short reads however long the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "files/image_probe.h"

namespace {

class CountingSource final : public tessel::ByteSource {
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
    tessel::MemorySource inner_;
};

std::uint64_t IntegerRoot(std::uint64_t n) {
    std::uint64_t low = 0;
    std::uint64_t high = std::uint64_t{1} << 32;  // root of any 64-bit value is below this
    while (low + 1 < high) {
        const std::uint64_t mid = low + (high - low) / 2;
        if (mid * mid <= n) {
            low = mid;
        } else {
            high = mid;
        }
    }
    return low;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CountingSource source(bytes);
    const std::optional<tessel::ImageSize> result = tessel::ReadImageSize(source);

    std::uint8_t head[tessel::FormatHeadSize] = {};
    for (std::size_t i = 0; i < size && i < tessel::FormatHeadSize; ++i) head[i] = data[i];
    const tessel::ImageFormat format = tessel::DetectFormat(head);
    // The segment walk is capped at 4096 steps of two reads, the longest a look of 4 KiB past
    // stray bytes; everything else is a handful of fixed reads. The newer readers have their
    // own targets, which check their bounds.
    if (format <= tessel::ImageFormat::Png) {
        Check(source.reads <= 2 * 4096 + 8);
        Check(source.bytesAsked <= 4096 * (2 + 4096) + 128);
    }
    if (format == tessel::ImageFormat::Other) Check(!result);
    if (format == tessel::ImageFormat::Png) Check(result.has_value());
    if (!result) return 0;
    if (format != tessel::ImageFormat::Png) Check(result->width > 0 && result->height > 0);

    const std::int32_t side = tessel::SquareSideOf(*result);
    const std::uint64_t root = IntegerRoot(std::uint64_t{result->width} * result->height);
    Check(side == static_cast<std::int32_t>(root < 65535 ? root : 65535));

    CountingSource again(bytes);
    const std::optional<tessel::ImageSize> second = tessel::ReadImageSize(again);
    Check(second && second->width == result->width && second->height == result->height);
    return 0;
}
