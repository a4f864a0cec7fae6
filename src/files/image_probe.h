// files/image_probe.h: one number per found file, its SquareSide: the whole part of
// sqrt(width x height), or 1 when the file is not an image we can read. The format is
// told by the first bytes, never by the name. Sizes come from the headers alone; no
// pixel is decoded and no file is read whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "files/image_header.h"

namespace tessel {
namespace os {
class FileReader;
}

// Which reader measures a file. Heif is every file that opens with an ISOBMFF `ftyp` box
// (HEIC, HEIF, AVIF, but MP4 and QuickTime too): its reader tells them apart by the brands.
enum class ImageFormat : std::int32_t {
    Other = 0,
    Bmp = 1,
    Jpeg = 2,
    Gif = 3,
    Png = 4,
    WebP = 5,
    Heif = 6,
    Tiff = 7,
    JpegXl = 8,
};

// How many first bytes DetectFormat looks at.
inline constexpr std::size_t FormatHeadSize = 16;

// The largest SquareSide: the size histogram has SquareSideCap + 1 counters at most.
inline constexpr std::int32_t SquareSideCap = 65535;

// The format by the first bytes (missing bytes count as 0), tested in the order BM, GIF,
// FF D8, the PNG signature, then RIFF....WEBP, ....ftyp, the four TIFF byte-order marks and
// the two JPEG XL signatures. No newer signature begins like an older one, so a file the
// first four took keeps its format.
ImageFormat DetectFormat(std::span<const std::uint8_t, FormatHeadSize> head);

// Width and height from the header, or nullopt when the source is not a readable image.
std::optional<ImageSize> ReadImageSize(ByteSource& source);

// floor(sqrt(width x height)) in 64 bits, capped at SquareSideCap.
std::int32_t SquareSideOf(ImageSize size);

// The SquareSide of the file at `path`. Never fails: every failure gives 1.
std::int32_t MeasureSquareSide(const std::string& path);
// The same for a file the folder listing has opened already (the entry the scan uses).
std::int32_t MeasureSquareSide(os::FileReader& file);
// The same, but nullopt where MeasureSquareSide gives 1 for a file no reader could measure:
// a bound that leaves such a file out can then say why.
std::optional<std::int32_t> ProbeSquareSide(os::FileReader& file);

}  // namespace tessel
