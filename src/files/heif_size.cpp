// files/heif_size.cpp: the box walk from `ftyp` to the primary item's properties. Nothing is
// kept but a few offsets: the item list, the locations and the data are never read. A
// camera's grid of 512 x 512 tiles has an association entry for each tile, so the entries
// are walked to the primary item's however many come first.
#include "files/heif_size.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tessel {
namespace {

using header::FourCc;

// Where a box's payload lies: [start, end). `end` may lie past the file's end: a cut file
// fails only when a field it needs is missing.
struct Box {
    std::uint32_t type = 0;
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// The box at `pos` inside a parent that ends at `end`, or nullopt when its header is cut off
// or its size does not fit the parent. Size 0 runs to the parent's end; size 1 is followed
// by a 64-bit size.
std::optional<Box> BoxAt(ByteSource& source, std::uint64_t pos, std::uint64_t end) {
    if (pos >= end || end - pos < 8) return std::nullopt;
    std::array<std::uint8_t, 16> head{};
    const std::size_t got = pos < FarthestOffset ? source.ReadAt(pos, head) : 0;
    if (got < 8) return std::nullopt;
    std::uint64_t size = header::Be32(head, 0);
    std::uint64_t headerSize = 8;
    if (size == 1) {
        if (got < 16) return std::nullopt;
        size = header::Be64(head, 8);
        headerSize = 16;
    } else if (size == 0) {
        size = end - pos;
    }
    if (size < headerSize || size > end - pos) return std::nullopt;
    return Box{header::Be32(head, 4), pos + headerSize, pos + size};
}

// Reads big-endian fields one after the other inside a box; once a field is missing, every
// later one is too, so callers look at `ok` where it matters.
class Fields {
public:
    Fields(ByteSource& source, std::uint64_t pos, std::uint64_t end)
        : source_(source), pos_(pos), end_(end) {}
    std::uint32_t Get(unsigned bytes) {
        std::array<std::uint8_t, 4> b{};
        if (!ok || bytes > 4 || end_ - pos_ < bytes || pos_ >= FarthestOffset ||
            source_.ReadAt(pos_, std::span(b.data(), bytes)) != bytes) {
            ok = false;
            return 0;
        }
        pos_ += bytes;
        std::uint32_t value = 0;
        for (unsigned k = 0; k < bytes; ++k) value = value << 8 | b[k];
        return value;
    }
    void Skip(std::uint64_t bytes) {
        if (!ok || end_ - pos_ < bytes) {
            ok = false;
            return;
        }
        pos_ += bytes;
    }
    bool ok = true;

private:
    ByteSource& source_;
    std::uint64_t pos_;
    std::uint64_t end_;
};

// A real file has a handful of boxes on each level; a hostile one may chain millions of
// empty ones.
constexpr int MaxChildren = 1024;
// Item IDs of version 0 entries are 16 bits: no file has more items than that.
constexpr std::uint32_t MaxAssociationEntries = 1 << 16;

// The first child of `parent` of type `type`, from `from` on.
std::optional<Box> FindChild(ByteSource& source, const Box& parent, std::uint64_t from,
                             std::uint32_t type) {
    std::uint64_t pos = from;
    for (int i = 0; i < MaxChildren; ++i) {
        const std::optional<Box> child = BoxAt(source, pos, parent.end);
        if (!child) return std::nullopt;
        if (child->type == type) return child;
        pos = child->end;
    }
    return std::nullopt;
}

// The brands of the files this reader is for: the HEIF structural brands, HEVC (HEIC) and
// AV1 (AVIF) images and sequences.
bool IsImageBrand(std::uint32_t brand) {
    constexpr std::uint32_t Brands[] = {
        FourCc("mif1"), FourCc("mif2"), FourCc("msf1"), FourCc("miaf"), FourCc("heic"),
        FourCc("heix"), FourCc("heim"), FourCc("heis"), FourCc("hevc"), FourCc("hevx"),
        FourCc("avif"), FourCc("avis"), FourCc("avio")};
    return std::find(std::begin(Brands), std::end(Brands), brand) != std::end(Brands);
}

bool HasImageBrand(ByteSource& source, const Box& ftyp) {
    // Major brand, minor version, then the compatible brands to the box's end.
    Fields fields(source, ftyp.start, ftyp.end);
    if (IsImageBrand(fields.Get(4))) return true;
    fields.Skip(4);
    for (int i = 0; i < 64 && fields.ok; ++i) {
        const std::uint32_t brand = fields.Get(4);
        if (fields.ok && IsImageBrand(brand)) return true;
    }
    return false;
}

// The property indices (1-based into `ipco`; 0 is none) associated with `item`, in their
// order, from the first `ipma` entry that names it. nullopt when no entry does.
std::optional<std::vector<std::uint32_t>> Associations(ByteSource& source, const Box& iprp,
                                                       std::uint32_t item) {
    std::uint64_t pos = iprp.start;
    std::uint32_t entriesSeen = 0;
    for (int i = 0; i < MaxChildren; ++i) {
        const std::optional<Box> box = BoxAt(source, pos, iprp.end);
        if (!box) return std::nullopt;
        pos = box->end;
        if (box->type != FourCc("ipma")) continue;
        Fields fields(source, box->start, box->end);
        const std::uint32_t version = fields.Get(1);
        const std::uint32_t flags = fields.Get(3);
        const std::uint32_t count = fields.Get(4);
        const unsigned idBytes = version < 1 ? 2 : 4;
        const unsigned indexBytes = (flags & 1) != 0 ? 2 : 1;
        for (std::uint32_t e = 0; e < count && fields.ok; ++e) {
            if (++entriesSeen > MaxAssociationEntries) return std::nullopt;
            const std::uint32_t id = fields.Get(idBytes);
            const std::uint32_t n = fields.Get(1);
            if (!fields.ok) return std::nullopt;
            if (id != item) {
                fields.Skip(std::uint64_t{n} * indexBytes);
                continue;
            }
            std::vector<std::uint32_t> indices;
            for (std::uint32_t k = 0; k < n; ++k) {
                // The top bit says whether the property is essential; the rest is the index.
                const std::uint32_t value = fields.Get(indexBytes);
                indices.push_back(value & (indexBytes == 2 ? 0x7FFFu : 0x7Fu));
            }
            if (!fields.ok) return std::nullopt;
            return indices;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ImageSize> ReadHeifSize(ByteSource& source) {
    const std::optional<Box> ftyp = BoxAt(source, 0, FarthestOffset);
    if (!ftyp || ftyp->type != FourCc("ftyp") || !HasImageBrand(source, *ftyp)) {
        return std::nullopt;
    }
    const Box file{0, 0, FarthestOffset};
    const std::optional<Box> meta = FindChild(source, file, ftyp->end, FourCc("meta"));
    if (!meta) return std::nullopt;
    const std::uint64_t metaChildren = meta->start + 4;  // a full box: version and flags
    const Box metaBody{meta->type, metaChildren, meta->end};

    const std::optional<Box> pitm = FindChild(source, metaBody, metaChildren, FourCc("pitm"));
    if (!pitm) return std::nullopt;
    Fields pitmFields(source, pitm->start, pitm->end);
    const std::uint32_t version = pitmFields.Get(1);
    pitmFields.Skip(3);
    const std::uint32_t primary = pitmFields.Get(version == 0 ? 2 : 4);
    if (!pitmFields.ok) return std::nullopt;

    const std::optional<Box> iprp = FindChild(source, metaBody, metaChildren, FourCc("iprp"));
    if (!iprp) return std::nullopt;
    const std::optional<Box> ipco = FindChild(source, *iprp, iprp->start, FourCc("ipco"));
    if (!ipco) return std::nullopt;
    const std::optional<std::vector<std::uint32_t>> indices = Associations(source, *iprp, primary);
    if (!indices) return std::nullopt;

    // The boxes of the associated properties (at most 255), found in one walk of the
    // container: properties[k] is the box of (*indices)[k].
    std::uint32_t last = 0;
    for (const std::uint32_t index : *indices) last = std::max(last, index);
    std::vector<std::optional<Box>> properties(indices->size());
    std::uint64_t pos = ipco->start;
    for (std::uint32_t index = 1; index <= last; ++index) {
        const std::optional<Box> property = BoxAt(source, pos, ipco->end);
        if (!property) break;
        for (std::size_t k = 0; k < indices->size(); ++k) {
            if ((*indices)[k] == index) properties[k] = property;
        }
        pos = property->end;
    }

    // The extents first, wherever they stand; then the transforms in association order,
    // each on the picture as the ones before it left it.
    std::optional<ImageSize> size;
    for (const std::optional<Box>& p : properties) {
        if (!p || p->type != FourCc("ispe")) continue;
        Fields fields(source, p->start, p->end);
        fields.Skip(4);  // version and flags
        const ImageSize extents{fields.Get(4), fields.Get(4)};
        if (!fields.ok || extents.width == 0 || extents.height == 0) return std::nullopt;
        size = extents;
        break;
    }
    if (!size) return std::nullopt;
    for (const std::optional<Box>& p : properties) {
        if (!p) continue;
        if (p->type == FourCc("irot")) {
            Fields fields(source, p->start, p->end);
            const std::uint32_t angle = fields.Get(1) & 3;  // anticlockwise, in quarter turns
            if (!fields.ok) return std::nullopt;
            if (angle % 2 == 1) std::swap(size->width, size->height);
        } else if (p->type == FourCc("clap")) {
            // Width and height as fractions (numerator, denominator), then the offsets of the
            // centre, which move the crop but do not size it. Rounded to the nearest pixel,
            // halves up.
            Fields fields(source, p->start, p->end);
            const std::uint64_t widthN = fields.Get(4);
            const std::uint64_t widthD = fields.Get(4);
            const std::uint64_t heightN = fields.Get(4);
            const std::uint64_t heightD = fields.Get(4);
            if (!fields.ok || widthD == 0 || heightD == 0) return std::nullopt;
            const std::uint64_t width = (2 * widthN + widthD) / (2 * widthD);
            const std::uint64_t height = (2 * heightN + heightD) / (2 * heightD);
            if (width == 0 || height == 0 || width > size->width || height > size->height) {
                return std::nullopt;
            }
            *size = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
        }
    }
    return size;
}

}  // namespace tessel
