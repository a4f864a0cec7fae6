// files/webp_size.cpp: the three ways a WebP file states its size, all within its first 30
// bytes: one read.
#include "files/webp_size.h"

#include <array>

namespace tessel {

using header::FourCc;
using header::Le16;
using header::Le24;
using header::Le32;

std::optional<ImageSize> ReadWebpSize(ByteSource& source) {
    // RIFF header (12), the first chunk's header (8) and the 10 bytes that hold a size.
    std::array<std::uint8_t, 30> head{};
    const std::size_t got = source.ReadAt(0, head);
    if (got < 20 || header::Be32(head, 0) != FourCc("RIFF") ||
        header::Be32(head, 8) != FourCc("WEBP")) {
        return std::nullopt;
    }
    const std::uint32_t riffSize = Le32(head, 4);  // counts from "WEBP" on
    const std::uint32_t chunk = header::Be32(head, 12);
    const std::uint32_t chunkSize = Le32(head, 16);
    if (riffSize < 12 || chunkSize > riffSize - 12) return std::nullopt;

    if (chunk == FourCc("VP8 ")) {
        // A frame tag of 3 bytes (bit 0 clear: a key frame, the only kind that has a size),
        // the start code 9D 01 2A, then 14 bits of width and of height; the two bits above
        // each are an upscaling hint that decoders do not apply.
        if (got < 30 || chunkSize < 10 || (head[20] & 1) != 0) return std::nullopt;
        if (head[23] != 0x9D || head[24] != 0x01 || head[25] != 0x2A) return std::nullopt;
        const ImageSize size{Le16(head, 26) & 0x3FFF, Le16(head, 28) & 0x3FFF};
        if (size.width == 0 || size.height == 0) return std::nullopt;
        return size;
    }
    if (chunk == FourCc("VP8L")) {
        // The signature byte 2F, then width - 1 and height - 1 in 14 bits each, one alpha
        // bit and a 3-bit version that must be 0.
        if (got < 25 || chunkSize < 5 || head[20] != 0x2F) return std::nullopt;
        const std::uint32_t bits = Le32(head, 21);
        if (bits >> 29 != 0) return std::nullopt;
        return ImageSize{(bits & 0x3FFF) + 1, (bits >> 14 & 0x3FFF) + 1};
    }
    if (chunk == FourCc("VP8X")) {
        // Flags and 3 reserved bytes, then canvas width - 1 and height - 1 in 24 bits each.
        // libwebp refuses a canvas of 2^32 pixels or more, and so does every viewer on it.
        if (got < 30 || chunkSize < 10) return std::nullopt;
        const ImageSize size{Le24(head, 24) + 1, Le24(head, 27) + 1};
        if (std::uint64_t{size.width} * size.height >= std::uint64_t{1} << 32) return std::nullopt;
        return size;
    }
    return std::nullopt;
}

}  // namespace tessel
