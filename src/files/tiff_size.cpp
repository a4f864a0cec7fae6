// files/tiff_size.cpp: the directory walk of a TIFF file. Only the first directory and the
// sub-directories it names are read, and of each only its entries up to tag 330 when they are
// sorted, as writers keep them; the chain of further directories (pages) is never followed.
#include "files/tiff_size.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tessel {
namespace {

enum : std::uint32_t {
    NewSubfileType = 254,
    ImageWidth = 256,
    ImageLength = 257,
    SubIfds = 330,
};
enum : std::uint32_t {
    Byte = 1,
    Short = 3,
    Long = 4,
    Ifd = 13,
    Long8 = 16,
    Ifd8 = 18,
};

// A directory's entry count is 16 bits in a classic file; a BigTIFF one may claim 2^64. Real
// directories hold a few dozen entries (a DNG's first one about a hundred).
constexpr std::uint64_t MaxEntries = 4096;
// DNG writers name one to three sub-directories (raw, previews); a chain longer than this
// is not a camera's.
constexpr std::size_t MaxSubIfds = 16;

class Tiff {
public:
    Tiff(ByteSource& source, bool little, bool big) : source_(source), little_(little), big_(big) {}

    struct Directory {
        std::optional<std::uint32_t> width;
        std::optional<std::uint32_t> height;
        std::uint32_t subfileType = 0;  // absent means 0, a full-resolution image
        std::vector<std::uint64_t> subIfds;
        bool subIfdsCut = false;  // named, but their offsets are not in the file
    };

    // The directory at `offset`, or nullopt when its count or an entry it needs is cut off.
    std::optional<Directory> ReadDirectory(std::uint64_t offset, bool withSubIfds) {
        std::uint64_t count = 0;
        if (big_) {
            std::array<std::uint8_t, 8> field{};
            if (!ReadExactly(source_, offset, field)) return std::nullopt;
            count = Uint(field, 0, 8);
            offset += 8;
        } else {
            std::array<std::uint8_t, 2> field{};
            if (!ReadExactly(source_, offset, field)) return std::nullopt;
            count = Uint(field, 0, 2);
            offset += 2;
        }
        Directory directory;
        std::uint32_t previous = 0;
        bool sorted = true;
        const std::uint64_t entrySize = big_ ? 20 : 12;
        for (std::uint64_t i = 0; i < count && i < MaxEntries; ++i) {
            std::array<std::uint8_t, 20> entry{};
            const std::span<std::uint8_t> bytes(entry.data(), entrySize);
            const std::uint64_t at = offset + i * entrySize;
            if (at >= FarthestOffset || source_.ReadAt(at, bytes) != entrySize) return std::nullopt;
            const auto tag = static_cast<std::uint32_t>(Uint(entry, 0, 2));
            if (tag < previous) sorted = false;
            if (sorted && tag > SubIfds) break;
            previous = tag;
            Take(directory, tag, entry, withSubIfds);
        }
        return directory;
    }

private:
    std::uint64_t Uint(std::span<const std::uint8_t> b, std::size_t at, std::size_t bytes) const {
        std::uint64_t value = 0;
        for (std::size_t k = 0; k < bytes; ++k) {
            const std::uint64_t byte = b[at + (little_ ? bytes - 1 - k : k)];
            value = value << 8 | byte;
        }
        return value;
    }

    // The first value of an entry of an unsigned type, when it is stored in the entry itself
    // (as every width, height and subfile type is).
    std::optional<std::uint64_t> FirstValue(std::span<const std::uint8_t> entry) const {
        const auto type = static_cast<std::uint32_t>(Uint(entry, 2, 2));
        const std::uint64_t count = big_ ? Uint(entry, 4, 8) : Uint(entry, 4, 4);
        const std::size_t field = big_ ? 12 : 8;
        if (count == 0) return std::nullopt;
        switch (type) {
            case Byte: return Uint(entry, field, 1);
            case Short: return Uint(entry, field, 2);
            case Long: return Uint(entry, field, 4);
            case Long8: return big_ ? std::optional(Uint(entry, field, 8)) : std::nullopt;
            default: return std::nullopt;
        }
    }

    void Take(Directory& directory, std::uint32_t tag, std::span<const std::uint8_t> entry,
              bool withSubIfds) {
        switch (tag) {
            case NewSubfileType:
                if (const auto v = FirstValue(entry)) {
                    directory.subfileType = static_cast<std::uint32_t>(*v);
                }
                break;
            case ImageWidth:
            case ImageLength: {
                const auto v = FirstValue(entry);
                if (!v || *v == 0 || *v > 0xFFFFFFFFu) break;
                (tag == ImageWidth ? directory.width : directory.height) =
                    static_cast<std::uint32_t>(*v);
                break;
            }
            case SubIfds:
                if (withSubIfds) {
                    std::optional<std::vector<std::uint64_t>> offsets = SubIfdOffsets(entry);
                    directory.subIfdsCut = !offsets;
                    if (offsets) directory.subIfds = std::move(*offsets);
                }
                break;
            default: break;
        }
    }

    // The offsets a SubIFDs entry names: in the entry when they fit, else in an array it
    // points to; nullopt when that array is cut off. An entry of another type names none.
    std::optional<std::vector<std::uint64_t>> SubIfdOffsets(std::span<const std::uint8_t> entry) {
        const auto type = static_cast<std::uint32_t>(Uint(entry, 2, 2));
        const std::uint64_t count = big_ ? Uint(entry, 4, 8) : Uint(entry, 4, 4);
        const std::size_t fieldAt = big_ ? 12 : 8;
        const std::size_t fieldSize = big_ ? 8 : 4;
        std::size_t width = 0;
        if (type == Long || type == Ifd) width = 4;
        if (big_ && (type == Long8 || type == Ifd8)) width = 8;
        std::vector<std::uint64_t> offsets;
        if (width == 0 || count == 0) return offsets;
        const std::size_t n = count < MaxSubIfds ? static_cast<std::size_t>(count) : MaxSubIfds;
        std::array<std::uint8_t, MaxSubIfds * 8> values{};
        const std::span<std::uint8_t> wanted(values.data(), n * width);
        if (count <= fieldSize / width) {  // not count * width: a BigTIFF count may wrap it
            std::copy_n(entry.begin() + static_cast<std::ptrdiff_t>(fieldAt), n * width,
                        values.begin());
        } else {
            const std::uint64_t at = Uint(entry, fieldAt, fieldSize);
            if (at >= FarthestOffset || source_.ReadAt(at, wanted) != wanted.size()) {
                return std::nullopt;
            }
        }
        for (std::size_t k = 0; k < n; ++k) offsets.push_back(Uint(values, k * width, width));
        return offsets;
    }

    ByteSource& source_;
    bool little_;
    bool big_;
};

}  // namespace

std::optional<ImageSize> ReadTiffSize(ByteSource& source) {
    // A classic header is 8 bytes; only BigTIFF needs all 16.
    std::array<std::uint8_t, 16> head{};
    const std::size_t got = source.ReadAt(0, head);
    if (got < 8) return std::nullopt;
    const bool little = head[0] == 'I' && head[1] == 'I';
    if (!little && !(head[0] == 'M' && head[1] == 'M')) return std::nullopt;
    const auto u16 = [&](std::size_t at) {
        return little ? header::Le16(head, at) : header::Be16(head, at);
    };
    const std::uint32_t version = u16(2);
    std::uint64_t first = 0;
    if (version == 42) {
        first = little ? header::Le32(head, 4) : header::Be32(head, 4);
    } else if (version == 43) {
        // BigTIFF: offsets of 8 bytes, then two bytes that are always 0, then the offset.
        if (got < 16 || u16(4) != 8 || u16(6) != 0) return std::nullopt;
        first = little ? header::Le64(head, 8) : header::Be64(head, 8);
    } else {
        return std::nullopt;
    }
    Tiff tiff(source, little, version == 43);
    const std::optional<Tiff::Directory> ifd0 = tiff.ReadDirectory(first, true);
    // A raw file cut before its sub-directories is not measured by its preview.
    if (!ifd0 || ifd0->subIfdsCut) return std::nullopt;
    for (const std::uint64_t offset : ifd0->subIfds) {
        const std::optional<Tiff::Directory> sub = tiff.ReadDirectory(offset, false);
        if (!sub) return std::nullopt;
        if (sub->subfileType == 0 && sub->width && sub->height) {
            return ImageSize{*sub->width, *sub->height};
        }
    }
    if (!ifd0->width || !ifd0->height) return std::nullopt;
    return ImageSize{*ifd0->width, *ifd0->height};
}

}  // namespace tessel
