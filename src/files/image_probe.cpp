// files/image_probe.cpp: width and height from the first bytes of BMP, GIF, JPEG and PNG
// files, and the choice of the reader by the signature (the newer formats have their readers
// beside this file). Only the header fields are read, a few short reads at known offsets; a
// JPEG is walked segment by segment by the segments' own lengths. Anything we cannot account for
// is "not an image" rather than a guess: the caller turns that into SquareSide 1.
#include "files/image_probe.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "base/sqr.h"
#include "files/heif_size.h"
#include "files/jxl_size.h"
#include "files/os/file_system.h"
#include "files/tiff_size.h"
#include "files/webp_size.h"

namespace tessel {
namespace {

using header::Be16;
using header::Be32;
using header::Le16;
using header::Le32;

std::int32_t LeSigned32(header::Bytes b, std::size_t at) {
    return static_cast<std::int32_t>(Le32(b, at));  // two's complement since C++20
}

// PNG: the IHDR fields at fixed offsets, taken as they are. A short file reads as zeros
// there, the chunk type is not checked, and width 0 stays 0 (SquareSide 0): that is how
// such files have always measured, and a PNG of that shape is not shown by anyone anyway.
ImageSize ReadPngSize(ByteSource& source) {
    std::array<std::uint8_t, 4> width{};
    std::array<std::uint8_t, 4> height{};
    source.ReadAt(16, width);
    source.ReadAt(20, height);
    return {Be32(width, 0), Be32(height, 0)};
}

// GIF: the logical screen, bytes 6..9 little-endian. A frame may be smaller than the
// screen, but the screen is what a viewer shows.
std::optional<ImageSize> ReadGifSize(ByteSource& source) {
    std::array<std::uint8_t, 10> header{};
    if (!ReadExactly(source, 0, header)) return std::nullopt;
    const ImageSize size{Le16(header, 6), Le16(header, 8)};
    if (size.width == 0 || size.height == 0) return std::nullopt;
    return size;
}

// BMP: the 14-byte file header, then a DIB header that names its own size. The loader
// refuses what it cannot draw, so do we: a plane count other than 1, a bit count it has no
// pixel layout for, compressions that do not fit the bit count, and JPEG/PNG payloads
// (those are for printers, not for LoadImage).
std::optional<ImageSize> ReadBmpSize(ByteSource& source) {
    constexpr std::size_t FileHeader = 14;
    std::array<std::uint8_t, 4> sizeField{};
    if (!ReadExactly(source, FileHeader, sizeField)) return std::nullopt;
    const std::uint32_t dibSize = Le32(sizeField, 0);

    if (dibSize == 12) {  // BITMAPCOREHEADER (OS/2 1.x): unsigned 16-bit width and height
        std::array<std::uint8_t, 12> core{};
        if (!ReadExactly(source, FileHeader, core)) return std::nullopt;
        const ImageSize size{Le16(core, 4), Le16(core, 6)};
        const std::uint32_t planes = Le16(core, 8);
        const std::uint32_t bits = Le16(core, 10);
        const bool drawable = planes == 1 && (bits == 1 || bits == 4 || bits == 8 || bits == 24);
        if (!drawable || size.width == 0 || size.height == 0) return std::nullopt;
        return size;
    }

    // BITMAPINFOHEADER and the headers that extend it (V2 52, V3 56, OS/2 2.x 64, V4 108,
    // V5 124) share the first 20 bytes: signed 32-bit width and height, planes, bit count,
    // compression. A negative height is a top-down bitmap.
    constexpr std::uint32_t Known[] = {40, 52, 56, 64, 108, 124};
    if (std::find(std::begin(Known), std::end(Known), dibSize) == std::end(Known)) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 20> info{};
    if (!ReadExactly(source, FileHeader, info)) return std::nullopt;
    const std::int32_t width = LeSigned32(info, 4);
    const std::int32_t height = LeSigned32(info, 8);
    const std::uint32_t planes = Le16(info, 12);
    const std::uint32_t bits = Le16(info, 14);
    const std::uint32_t compression = Le32(info, 16);
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    if (planes != 1) return std::nullopt;
    const auto bitsAre = [bits](std::initializer_list<std::uint32_t> allowed) {
        return std::find(allowed.begin(), allowed.end(), bits) != allowed.end();
    };
    enum : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };
    bool drawable = false;
    switch (compression) {
        case Rgb: drawable = bitsAre({1, 4, 8, 16, 24, 32}); break;
        // Run-length data is always stored bottom-up.
        case Rle8: drawable = bits == 8 && height > 0; break;
        case Rle4: drawable = bits == 4 && height > 0; break;
        case BitFields: drawable = bitsAre({16, 32}); break;
        default: break;
    }
    if (!drawable) return std::nullopt;
    return ImageSize{static_cast<std::uint32_t>(width),
                     static_cast<std::uint32_t>(height > 0 ? height : -height)};
}

// JPEG: the frame header (SOFn) is reached by walking the segments from SOI by their
// lengths. Never search the bytes for an SOF pattern: an EXIF block carries a whole
// thumbnail JPEG with its own SOF, and its size is not the picture's.
std::optional<ImageSize> ReadJpegSize(ByteSource& source) {
    // A real file has a few dozen segments before its frame (even an ICC profile split
    // over APP2 segments stays far below this); a chain longer than this is hostile.
    constexpr int MaxSteps = 4096;
    std::uint64_t pos = 2;  // after SOI
    for (int step = 0; step < MaxSteps; ++step) {
        std::array<std::uint8_t, 2> marker{};
        if (!ReadExactly(source, pos, marker)) return std::nullopt;
        if (marker[0] != 0xFF) {
            // Stray bytes between segments. Decoders skip them to the next 0xFF and go on
            // (libjpeg warns of "extraneous bytes before marker"), so a viewer shows the
            // picture: so do we. One look of up to 4 KiB per step.
            std::array<std::uint8_t, 4096> ahead;
            const std::size_t got = source.ReadAt(pos, ahead);
            if (got == 0) return std::nullopt;
            const auto* next = std::find(ahead.data(), ahead.data() + got, 0xFF);
            pos += static_cast<std::uint64_t>(next - ahead.data());
            continue;
        }
        const std::uint8_t code = marker[1];
        if (code == 0xFF) {  // fill byte before a marker
            ++pos;
            continue;
        }
        // TEM, RSTn: no length. A stuffed FF 00 is no marker at all: stray, as above.
        if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            pos += 2;
            continue;
        }
        // SOI again, EOI, or SOS before any frame: no frame is coming.
        if (code == 0xD8 || code == 0xD9 || code == 0xDA) return std::nullopt;

        std::array<std::uint8_t, 2> lengthField{};
        if (!ReadExactly(source, pos + 2, lengthField)) return std::nullopt;
        const std::uint32_t length = Be16(lengthField, 0);  // counts itself, not the marker
        if (length < 2) return std::nullopt;

        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 &&
                           code != 0xCC;  // DHT, JPG, DAC share the range
        if (frame) {
            // length, precision, height, width, component count
            std::array<std::uint8_t, 8> sof{};
            if (length < sof.size() || !ReadExactly(source, pos + 2, sof)) return std::nullopt;
            const ImageSize size{Be16(sof, 5), Be16(sof, 3)};
            // Height 0 would defer to a DNL marker after the first scan; nobody writes that.
            if (size.width == 0 || size.height == 0) return std::nullopt;
            return size;
        }
        pos += 2 + length;
    }
    return std::nullopt;
}

// Lets the header readers read an open file. The readers ask for a few bytes at a time (a
// JPEG costs two reads per segment); one system call per 4 KiB window serves them all for
// the usual header, which makes measuring a tree of small pictures several times faster.
class FileSource final : public ByteSource {
public:
    explicit FileSource(os::FileReader& file) : file_(file) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        if (buffer.size() > window_.size()) return file_.ReadAt(offset, buffer);
        if (offset < windowStart_ || offset + buffer.size() > windowStart_ + windowLength_) {
            windowStart_ = offset;
            windowLength_ = file_.ReadAt(offset, window_);
        }
        const std::uint64_t skip = offset - windowStart_;
        if (skip >= windowLength_) return 0;
        const auto n =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), windowLength_ - skip));
        std::memcpy(buffer.data(), window_.data() + skip, n);
        return n;
    }

private:
    os::FileReader& file_;
    std::array<std::uint8_t, 4096> window_{};
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;  // what the file gave at windowStart_: less near its end
};

}  // namespace

ImageFormat DetectFormat(std::span<const std::uint8_t, FormatHeadSize> head) {
    const auto at = [head](std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
        return std::equal(bytes.begin(), bytes.end(), head.begin() + offset);
    };
    if (at(0, {'B', 'M'})) return ImageFormat::Bmp;
    if (at(0, {'G', 'I', 'F'})) return ImageFormat::Gif;
    if (at(0, {0xFF, 0xD8})) return ImageFormat::Jpeg;
    if (at(0, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return ImageFormat::Png;
    if (at(0, {'R', 'I', 'F', 'F'}) && at(8, {'W', 'E', 'B', 'P'})) return ImageFormat::WebP;
    if (at(4, {'f', 't', 'y', 'p'})) return ImageFormat::Heif;
    if (at(0, {'I', 'I', 42, 0}) || at(0, {'M', 'M', 0, 42}) || at(0, {'I', 'I', 43, 0}) ||
        at(0, {'M', 'M', 0, 43})) {
        return ImageFormat::Tiff;
    }
    if (at(0, {0xFF, 0x0A}) || at(0, {0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A})) {
        return ImageFormat::JpegXl;
    }
    return ImageFormat::Other;
}

std::optional<ImageSize> ReadImageSize(ByteSource& source) {
    std::array<std::uint8_t, FormatHeadSize> head{};
    source.ReadAt(0, head);  // bytes the file does not have stay 0
    switch (DetectFormat(head)) {
        case ImageFormat::Bmp: return ReadBmpSize(source);
        case ImageFormat::Gif: return ReadGifSize(source);
        case ImageFormat::Jpeg: return ReadJpegSize(source);
        case ImageFormat::Png: return ReadPngSize(source);
        case ImageFormat::WebP: return ReadWebpSize(source);
        case ImageFormat::Heif: return ReadHeifSize(source);
        case ImageFormat::Tiff: return ReadTiffSize(source);
        case ImageFormat::JpegXl: return ReadJxlSize(source);
        case ImageFormat::Other: break;
    }
    return std::nullopt;
}

std::int32_t SquareSideOf(ImageSize size) {
    // In 64 bits: 65536 x 65536 must not wrap to 0. Every product below 2^32 is exact as a
    // double and Sqr gives its integer root; anything at or above 2^32 has a root of at
    // least 65536 and meets the cap.
    const std::uint64_t area = std::uint64_t{size.width} * size.height;
    const double root = std::floor(Sqr(static_cast<double>(area)));
    if (root >= SquareSideCap) return SquareSideCap;
    return static_cast<std::int32_t>(root);
}

std::int32_t MeasureSquareSide(const std::string& path) {
    const std::unique_ptr<os::FileReader> file = os::OpenForReading(path);
    return file ? MeasureSquareSide(*file) : 1;
}

std::int32_t MeasureSquareSide(os::FileReader& file) {
    return ProbeSquareSide(file).value_or(1);
}

std::optional<std::int32_t> ProbeSquareSide(os::FileReader& file) {
    FileSource source(file);
    const std::optional<ImageSize> size = ReadImageSize(source);
    if (!size) return std::nullopt;
    return SquareSideOf(*size);
}

}  // namespace tessel
