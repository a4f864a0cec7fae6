// files/image_probe.h: one number per found file, its SquareSide: the whole part of
// sqrt(width x height), or 1 when the file is not an image we can read. The format is
// told by the first bytes, never by the name. Sizes come from the headers alone; no
// pixel is decoded and no file is read whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessel {
namespace os {
class FileReader;
}

enum class ImageFormat : std::int32_t { Other = 0, Bmp = 1, Jpeg = 2, Gif = 3, Png = 4 };

struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const ImageSize&) const = default;
};

// The largest SquareSide: the size histogram has SquareSideCap + 1 counters at most.
inline constexpr std::int32_t SquareSideCap = 65535;

// Where a header is read from: a file or, for tests and the fuzzer, bytes in memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to buffer.size() bytes at `offset`; returns how many were read.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override;

private:
    std::span<const std::uint8_t> bytes_;
};

// The format by the first 8 bytes (missing bytes count as 0), tested in the order
// BM, GIF, FF D8, the PNG signature.
ImageFormat DetectFormat(std::span<const std::uint8_t, 8> head);

// Width and height from the header, or nullopt when the source is not a readable image.
std::optional<ImageSize> ReadImageSize(ByteSource& source);

// floor(sqrt(width x height)) in 64 bits, capped at SquareSideCap.
std::int32_t SquareSideOf(ImageSize size);

// The SquareSide of the file at `path`. Never fails: every failure gives 1.
std::int32_t MeasureSquareSide(const std::string& path);
// The same for a file the folder listing has opened already (the entry the scan uses).
std::int32_t MeasureSquareSide(os::FileReader& file);

}  // namespace tessel
