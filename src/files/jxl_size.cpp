// files/jxl_size.cpp: the first bits of a JPEG XL codestream. The SizeHeader and the opening
// bits of the ImageMetadata (which hold the orientation) take at most 12 bytes after the
// signature; in a container those bytes may be spread over several `jxlp` boxes, so they are
// gathered first and decoded in memory.
#include "files/jxl_size.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tessel {
namespace {

using header::FourCc;

// The codestream bytes the size needs: FF 0A, then 73 bits at most.
constexpr std::size_t HeadBytes = 16;

// Bits in the order JPEG XL stores them: from the lowest bit of each byte up.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::optional<std::uint32_t> Read(unsigned count) {
        std::uint32_t value = 0;
        for (unsigned k = 0; k < count; ++k, ++bit_) {
            if (bit_ / 8 >= bytes_.size()) return std::nullopt;
            value |= static_cast<std::uint32_t>(bytes_[bit_ / 8] >> (bit_ % 8) & 1) << k;
        }
        return value;
    }
    // U32(Bits(9), Bits(13), Bits(18), Bits(30)): the distribution of a side's size - 1.
    std::optional<std::uint32_t> SizeMinusOne() {
        constexpr unsigned Widths[] = {9, 13, 18, 30};
        const auto selector = Read(2);
        if (!selector) return std::nullopt;
        return Read(Widths[*selector]);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t bit_ = 0;
};

// The SizeHeader's side: 8 x (1 + 5 bits) when `div8`, else 1 + the U32 above.
std::optional<std::uint32_t> Side(BitReader& bits, bool div8) {
    const auto value = div8 ? bits.Read(5) : bits.SizeMinusOne();
    if (!value) return std::nullopt;
    return div8 ? (*value + 1) * 8 : *value + 1;
}

std::optional<ImageSize> ReadCodestream(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0x0A) return std::nullopt;
    BitReader bits(bytes.subspan(2));
    const auto div8 = bits.Read(1);
    if (!div8) return std::nullopt;
    const auto height = Side(bits, *div8 != 0);
    const auto ratio = bits.Read(3);
    if (!height || !ratio) return std::nullopt;
    std::uint32_t width = 0;
    if (*ratio == 0) {
        const auto own = Side(bits, *div8 != 0);
        if (!own) return std::nullopt;
        width = *own;
    } else {
        // The fixed aspect ratios 1:1, 12:10, 4:3, 3:2, 16:9, 5:4 and 2:1 (width to height).
        constexpr std::uint32_t Ratios[][2] = {{1, 1},  {12, 10}, {4, 3}, {3, 2},
                                               {16, 9}, {5, 4},   {2, 1}};
        const auto& r = Ratios[*ratio - 1];
        width = static_cast<std::uint32_t>(std::uint64_t{*height} * r[0] / r[1]);
    }
    // ImageMetadata: all_default, then extra_fields, then the orientation - 1 in 3 bits.
    const auto allDefault = bits.Read(1);
    if (!allDefault) return std::nullopt;
    std::uint32_t orientation = 1;
    if (*allDefault == 0) {
        const auto extraFields = bits.Read(1);
        if (!extraFields) return std::nullopt;
        if (*extraFields != 0) {
            const auto value = bits.Read(3);
            if (!value) return std::nullopt;
            orientation = *value + 1;
        }
    }
    ImageSize size{width, *height};
    if (orientation >= 5) std::swap(size.width, size.height);
    return size;
}

// The container: a signature box, then boxes of a 32-bit size (1: a 64-bit size follows; 0:
// to the end of the file) and a type. The codestream's first bytes are gathered from `jxlc`
// or the `jxlp` boxes (each after its 4-byte index), whatever boxes stand between.
std::optional<ImageSize> ReadContainer(ByteSource& source) {
    // A real file has the signature, ftyp, a level box, maybe Exif, XML and a JPEG
    // reconstruction box before its codestream: a few boxes. Partial boxes may be many.
    constexpr int MaxBoxes = 4096;
    std::array<std::uint8_t, HeadBytes> codestream{};
    std::size_t gathered = 0;
    std::uint64_t pos = 12;
    for (int box = 0; box < MaxBoxes && gathered < HeadBytes; ++box) {
        std::array<std::uint8_t, 16> head{};
        const std::size_t got = source.ReadAt(pos, head);
        if (got < 8) break;
        std::uint64_t size = header::Be32(head, 0);
        const std::uint32_t type = header::Be32(head, 4);
        std::uint64_t headerSize = 8;
        if (size == 1) {
            if (got < 16) break;
            size = header::Be64(head, 8);
            headerSize = 16;
        }
        const bool toTheEnd = size == 0;
        if (!toTheEnd && size < headerSize) return std::nullopt;
        std::uint64_t start = pos + headerSize;
        const bool partial = type == FourCc("jxlp");
        if (partial) start += 4;  // the index of the part; its top bit marks the last
        if (partial || type == FourCc("jxlc")) {
            std::uint64_t room = HeadBytes - gathered;
            if (!toTheEnd) room = std::min(room, size > start - pos ? size - (start - pos) : 0);
            const std::span<std::uint8_t> into(codestream.data() + gathered,
                                               static_cast<std::size_t>(room));
            const std::size_t read = start < FarthestOffset ? source.ReadAt(start, into) : 0;
            gathered += read;
            if (type == FourCc("jxlc") || read < room) break;
        }
        if (toTheEnd || size >= FarthestOffset - pos) break;
        pos += size;
    }
    return ReadCodestream(std::span(codestream.data(), gathered));
}

}  // namespace

std::optional<ImageSize> ReadJxlSize(ByteSource& source) {
    std::array<std::uint8_t, 12> head{};
    const std::size_t got = source.ReadAt(0, head);
    constexpr std::uint8_t Container[] = {0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    if (got == head.size() && std::equal(head.begin(), head.end(), std::begin(Container))) {
        return ReadContainer(source);
    }
    std::array<std::uint8_t, HeadBytes> codestream{};
    return ReadCodestream(std::span(codestream.data(), source.ReadAt(0, codestream)));
}

}  // namespace tessel
