// The WebP, HEIF/AVIF, TIFF and JPEG XL readers: real files made by the formats' own tools
// (tests/data/images/make_photos.sh), then headers built byte by byte for what no tool
// writes: cut, hostile and edge values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "files/heif_size.h"
#include "files/image_probe.h"
#include "files/jxl_size.h"
#include "files/tiff_size.h"
#include "files/webp_size.h"
#include "header_bytes.h"
#include "support/test_support.h"

namespace tessel {
namespace {

using Size = std::optional<ImageSize>;
const Size None;

std::uint8_t B(std::uint64_t v, int shift) {
    return static_cast<std::uint8_t>(v >> shift);
}
Bytes Be16(std::uint32_t v) {
    return {B(v, 8), B(v, 0)};
}
Bytes Be64(std::uint64_t v) {
    return Cat({Be32(static_cast<std::uint32_t>(v >> 32)), Be32(static_cast<std::uint32_t>(v))});
}
Bytes Le16(std::uint32_t v) {
    return {B(v, 0), B(v, 8)};
}
Bytes Le64(std::uint64_t v) {
    return Cat({Le32(static_cast<std::uint32_t>(v)), Le32(static_cast<std::uint32_t>(v >> 32))});
}
Bytes Text(const char* s) {
    return Bytes(s, s + std::char_traits<char>::length(s));
}

struct Committed {
    const char* file;
    ImageFormat format;
    ImageSize size;  // as ImageMagick's identify reports it (dcraw and djxl where it cannot)
};
const Committed Photos[] = {
    {"webp_lossy.webp", ImageFormat::WebP, {300, 200}},          // VP8
    {"webp_lossless.webp", ImageFormat::WebP, {123, 45}},        // VP8L
    {"webp_alpha.webp", ImageFormat::WebP, {97, 61}},            // VP8X, ALPH
    {"webp_animated.webp", ImageFormat::WebP, {64, 48}},         // VP8X, ANIM
    {"heic_plain.heic", ImageFormat::Heif, {300, 200}},          //
    {"heic_odd_size.heic", ImageFormat::Heif, {301, 199}},       // a 1x1 grid of a 302x200 tile
    {"heic_thumbnail.heic", ImageFormat::Heif, {640, 480}},      // not its 64x48 thumbnail
    {"heic_irot90.heic", ImageFormat::Heif, {200, 300}},         // irot 1
    {"heic_camera_grid.heic", ImageFormat::Heif, {3024, 4032}},  // 48 tiles, irot 3
    {"avif_plain.avif", ImageFormat::Heif, {300, 200}},
    {"avif_irot90.avif", ImageFormat::Heif, {200, 300}},
    {"avif_clap.avif", ImageFormat::Heif, {250, 150}},
    {"avif_grid.avif", ImageFormat::Heif, {512, 256}},
    {"tiff_ii.tif", ImageFormat::Tiff, {123, 45}},
    {"tiff_mm.tiff", ImageFormat::Tiff, {123, 45}},
    {"tiff_bigtiff_ii.tif", ImageFormat::Tiff, {301, 199}},
    {"tiff_bigtiff_mm.tif", ImageFormat::Tiff, {301, 199}},
    {"tiff_tiled.tif", ImageFormat::Tiff, {300, 200}},
    {"tiff_two_pages.tif", ImageFormat::Tiff, {123, 45}},  // the first page
    // IFD0 is a 48x32 thumbnail; its sub-directories a 96x64 preview and the raw (dcraw).
    {"tiff_dng_thumbnail_first.dng", ImageFormat::Tiff, {192, 128}},
    {"jxl_codestream.jxl", ImageFormat::JpegXl, {300, 200}},
    {"jxl_div8.jxl", ImageFormat::JpegXl, {512, 256}},               // sides in eighths, ratio 2:1
    {"jxl_container.jxl", ImageFormat::JpegXl, {301, 199}},          // jxlc
    {"jxl_recompressed_jpeg.jxl", ImageFormat::JpegXl, {300, 200}},  // jxlp, jbrd
    {"jxl_split_jxlp.jxl", ImageFormat::JpegXl, {300, 200}},         // the size header in two parts
    {"jxl_orientation6.jxl", ImageFormat::JpegXl, {200, 300}},       // 300x200 stored, turned
    {"jxl_orientation6_container.jxl", ImageFormat::JpegXl, {200, 300}},
};

TEST(PhotoHeaders, CommittedPhotosMeasureAsTheirViewersShowThem) {
    for (const Committed& c : Photos) {
        SCOPED_TRACE(c.file);
        const std::string path = DataPath(std::string("images/") + c.file);
        const Bytes bytes = ReadBytes(path);
        EXPECT_EQ(FormatOf(bytes), c.format);
        EXPECT_EQ(SizeOf(bytes), c.size);
        EXPECT_EQ(MeasureSquareSide(path), SquareSideOf(c.size));
    }
}

TEST(PhotoHeaders, EveryPrefixOfACommittedPhotoGivesItsSizeOrNothing) {
    // A cut file never yields a made-up size: the first prefix that measures at all measures
    // right, and so does every longer one.
    for (const Committed& c : Photos) {
        SCOPED_TRACE(c.file);
        const Bytes bytes = ReadBytes(DataPath(std::string("images/") + c.file));
        bool measured = false;
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            const Size size = SizeOf(Bytes(bytes.begin(), bytes.begin() + n));
            if (size) {
                ASSERT_EQ(size, c.size) << n;
                measured = true;
            } else {
                ASSERT_FALSE(measured) << "a longer prefix failed after a shorter one: " << n;
            }
        }
        EXPECT_TRUE(measured);
    }
}

TEST(PhotoHeaders, NewSignaturesLeaveTheOldFormatsAsTheyWere) {
    const FormatCase cases[] = {
        {"RIFF WEBP", Cat({Text("RIFF"), Le32(100), Text("WEBP")}), ImageFormat::WebP},
        {"RIFF WAVE", Cat({Text("RIFF"), Le32(100), Text("WAVE")}), ImageFormat::Other},
        {"ftyp", Cat({Be32(24), Text("ftypheic")}), ImageFormat::Heif},
        {"ftyp of an MP4", Cat({Be32(24), Text("ftypisom")}), ImageFormat::Heif},
        {"TIFF II", {'I', 'I', 42, 0}, ImageFormat::Tiff},
        {"TIFF MM", {'M', 'M', 0, 42}, ImageFormat::Tiff},
        {"BigTIFF II", {'I', 'I', 43, 0}, ImageFormat::Tiff},
        {"BigTIFF MM", {'M', 'M', 0, 43}, ImageFormat::Tiff},
        {"TIFF with the wrong order of its number", {'I', 'I', 0, 42}, ImageFormat::Other},
        {"Olympus raw", {'I', 'I', 'R', 'O'}, ImageFormat::Other},
        {"JPEG XL codestream", {0xFF, 0x0A}, ImageFormat::JpegXl},
        {"JPEG XL container",
         {0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A},
         ImageFormat::JpegXl},
        {"JPEG XL container cut", {0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D}, ImageFormat::Other},
        // The old four are tested first: these stay what they always were.
        {"BM before anything", Cat({Text("BM"), Be16(0), Text("ftyp")}), ImageFormat::Bmp},
        {"GIF before anything", Cat({Text("GIF"), {0}, Text("ftyp")}), ImageFormat::Gif},
        {"FF D8 before anything", Cat({{0xFF, 0xD8, 0, 0}, Text("ftyp")}), ImageFormat::Jpeg},
    };
    ExpectFormats(cases);
}

// ---- WebP
Bytes Riff(const Bytes& chunks) {
    return Cat(
        {Text("RIFF"), Le32(static_cast<std::uint32_t>(4 + chunks.size())), Text("WEBP"), chunks});
}
Bytes Chunk(const char* type, const Bytes& payload) {
    return Cat({Text(type), Le32(static_cast<std::uint32_t>(payload.size())), payload});
}
Bytes Vp8(std::uint32_t width, std::uint32_t height, std::uint8_t tag = 0x10) {
    return Chunk(
        "VP8 ", Cat({{tag, 0x02, 0x00, 0x9D, 0x01, 0x2A}, Le16(width), Le16(height), Bytes(8, 0)}));
}
Bytes Vp8l(std::uint32_t width, std::uint32_t height, std::uint32_t version = 0) {
    const std::uint32_t bits = (width - 1) | (height - 1) << 14 | version << 29;
    return Chunk("VP8L", Cat({{0x2F}, Le32(bits), Bytes(3, 0)}));
}
Bytes Vp8x(std::uint32_t width, std::uint32_t height) {
    const std::uint32_t w = width - 1;
    const std::uint32_t h = height - 1;
    return Chunk("VP8X", {0x10, 0, 0, 0, B(w, 0), B(w, 8), B(w, 16), B(h, 0), B(h, 8), B(h, 16)});
}

TEST(PhotoHeaders, WebpChunks) {
    Bytes riffTooSmall = Riff(Vp8(640, 480));
    riffTooSmall[4] = 11;
    Bytes chunkPastRiff = Riff(Vp8l(640, 480));
    chunkPastRiff[16] = 0xFF;
    const SizeCase cases[] = {
        {"VP8 key frame", Riff(Vp8(640, 480)), ImageSize{640, 480}},
        {"VP8 upscaling bits are not the size", Riff(Vp8(0xC000 | 640, 0x4000 | 480)),
         ImageSize{640, 480}},
        {"VP8 largest", Riff(Vp8(16383, 16383)), ImageSize{16383, 16383}},
        {"VP8 inter frame", Riff(Vp8(640, 480, 0x11)), None},
        {"VP8 zero width", Riff(Vp8(0, 480)), None},
        {"VP8 without its start code", Riff(Chunk("VP8 ", Bytes(10, 0))), None},
        {"VP8 chunk too short", Riff(Chunk("VP8 ", {0x10, 0x02, 0, 0x9D, 0x01, 0x2A, 1, 1})), None},
        {"VP8L", Riff(Vp8l(123, 45)), ImageSize{123, 45}},
        {"VP8L largest", Riff(Vp8l(16384, 16384)), ImageSize{16384, 16384}},
        {"VP8L smallest", Riff(Vp8l(1, 1)), ImageSize{1, 1}},
        {"VP8L version 1", Riff(Vp8l(123, 45, 1)), None},
        {"VP8L without its signature", Riff(Chunk("VP8L", {0x2E, 0, 0, 0, 0})), None},
        {"VP8X", Riff(Cat({Vp8x(4000, 3000), Vp8(4000, 3000)})), ImageSize{4000, 3000}},
        {"VP8X canvas, not its frame", Riff(Cat({Vp8x(800, 600), Vp8(64, 48)})),
         ImageSize{800, 600}},
        {"VP8X just below 2^32 pixels", Riff(Vp8x(65535, 65537)), ImageSize{65535, 65537}},
        {"VP8X of 2^32 pixels", Riff(Vp8x(65536, 65536)), None},
        {"VP8X of 2^24 square", Riff(Vp8x(1 << 24, 1 << 24)), None},
        {"ALPH first", Riff(Chunk("ALPH", Bytes(10, 0))), None},
        {"RIFF size below its chunk header", riffTooSmall, None},
        {"chunk larger than the RIFF", chunkPastRiff, None},
        {"RIFF WEBP alone", Cat({Text("RIFF"), Le32(4), Text("WEBP")}), None},
    };
    ExpectSizes(cases);
}

// ---- TIFF: entries sorted by tag as writers keep them, unless a case says otherwise.
struct Entry {
    std::uint32_t tag, type;
    std::uint64_t count, value;
};
struct TiffShape {
    bool little = true;
    bool big = false;
    std::string Name() const { return std::string(little ? "II" : "MM") + (big ? " BigTIFF" : ""); }
};
// Both byte orders, each classic and BigTIFF.
constexpr TiffShape TiffShapes[] = {{true, false}, {false, false}, {true, true}, {false, true}};
Bytes Word(TiffShape s, std::uint64_t v, int bytes) {
    Bytes out;
    for (int k = 0; k < bytes; ++k) out.push_back(B(v, 8 * (s.little ? k : bytes - 1 - k)));
    return out;
}
// A directory at `at`; a SHORT value sits in the field's first two bytes in file order.
Bytes Directory(TiffShape s, const std::vector<Entry>& entries, std::uint64_t next = 0) {
    const int countBytes = s.big ? 8 : 2;
    const int countField = s.big ? 8 : 4;
    const int field = s.big ? 8 : 4;
    Bytes out = Word(s, entries.size(), countBytes);
    for (const Entry& e : entries) {
        out = Cat({out, Word(s, e.tag, 2), Word(s, e.type, 2), Word(s, e.count, countField)});
        const int valueBytes = e.type == 3 ? 2 : e.type == 1 ? 1 : e.type == 16 ? 8 : 4;
        Bytes value = valueBytes <= field ? Word(s, e.value, valueBytes) : Word(s, e.value, field);
        value.resize(static_cast<std::size_t>(field), 0);
        out = Cat({out, value});
    }
    return Cat({out, Word(s, next, s.big ? 8 : 4)});
}
Bytes TiffHeader(TiffShape s, std::uint64_t first) {
    const Bytes order = s.little ? Bytes{'I', 'I'} : Bytes{'M', 'M'};
    if (!s.big) return Cat({order, Word(s, 42, 2), Word(s, first, 4)});
    return Cat({order, Word(s, 43, 2), Word(s, 8, 2), Word(s, 0, 2), Word(s, first, 8)});
}
Bytes Tiff(TiffShape s, const std::vector<Entry>& entries) {
    const std::uint64_t at = s.big ? 16 : 8;
    return Cat({TiffHeader(s, at), Directory(s, entries)});
}
// IFD0 a 160x120 thumbnail of NewSubfileType `ifd0Type` naming `subs` sub-directories (LONG
// offsets) laid out after it: in the entry itself when they fit there, else in an array.
Bytes Raw(TiffShape s, std::uint32_t ifd0Type, const std::vector<std::vector<Entry>>& subs) {
    const std::uint64_t at = s.big ? 16 : 8;
    const std::size_t entrySize = s.big ? 20 : 12;
    const std::size_t fieldSize = s.big ? 8 : 4;
    const std::size_t countBytes = s.big ? 8 : 2;
    const bool inlined = subs.size() * 4 <= fieldSize;
    const std::uint64_t arrayAt = at + countBytes + 4 * entrySize + fieldSize;
    std::uint64_t subAt = arrayAt + (inlined ? 0 : subs.size() * 4);
    Bytes offsets;
    Bytes bodies;
    for (const auto& sub : subs) {
        offsets = Cat({offsets, Word(s, subAt, 4)});
        const Bytes body = Directory(s, sub);
        bodies = Cat({bodies, body});
        subAt += body.size();
    }
    Bytes ifd0 = Directory(s, {{254, 4, 1, ifd0Type},
                               {256, 3, 1, 160},
                               {257, 3, 1, 120},
                               {330, 4, subs.size(), inlined ? 0 : arrayAt}});
    if (inlined) {
        const std::size_t field = countBytes + 3 * entrySize + (s.big ? 12 : 8);
        std::copy(offsets.begin(), offsets.end(), ifd0.begin() + static_cast<long>(field));
    }
    return Cat({TiffHeader(s, at), ifd0, inlined ? Bytes{} : offsets, bodies});
}

TEST(PhotoHeaders, TiffFirstDirectoryInEveryShape) {
    for (const TiffShape s : TiffShapes) {
        SCOPED_TRACE(s.Name());
        const SizeCase cases[] = {
            {"SHORT sides", Tiff(s, {{256, 3, 1, 640}, {257, 3, 1, 480}}), ImageSize{640, 480}},
            {"LONG sides", Tiff(s, {{256, 4, 1, 100000}, {257, 4, 1, 3}}), ImageSize{100000, 3}},
            {"BYTE sides", Tiff(s, {{256, 1, 1, 7}, {257, 1, 1, 9}}), ImageSize{7, 9}},
            {"other tags around them",
             Tiff(s, {{254, 4, 1, 0},
                      {256, 3, 1, 5},
                      {257, 3, 1, 6},
                      {259, 3, 1, 1},
                      {50000, 3, 1, 1}}),
             ImageSize{5, 6}},
            {"unsorted", Tiff(s, {{257, 3, 1, 6}, {259, 3, 1, 1}, {256, 3, 1, 5}}),
             ImageSize{5, 6}},
            {"sorted, so a later width is not looked for",
             Tiff(s, {{257, 3, 1, 6}, {340, 3, 1, 1}, {256, 3, 1, 5}}), None},
            {"no height", Tiff(s, {{256, 3, 1, 640}}), None},
            {"zero width", Tiff(s, {{256, 3, 1, 0}, {257, 3, 1, 480}}), None},
            {"count 0", Tiff(s, {{256, 3, 0, 640}, {257, 3, 1, 480}}), None},
            {"RATIONAL width", Tiff(s, {{256, 5, 1, 640}, {257, 3, 1, 480}}), None},
            {"no entries", Tiff(s, {}), None},
            {"directory past the end", TiffHeader(s, 4096), None},
            {"directory at 2^62", TiffHeader(s, s.big ? std::uint64_t{1} << 62 : 0xFFFFFFF0u),
             None},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(SizeOf(c.bytes), c.size);
            // Cut inside the last entry: nothing.
            EXPECT_EQ(SizeOf(Bytes(c.bytes.begin(), c.bytes.end() - (s.big ? 9 : 5))), None);
        }
    }
}

TEST(PhotoHeaders, TiffRawTakesTheFullResolutionSubDirectory) {
    const std::vector<Entry> preview = {{254, 4, 1, 1}, {256, 3, 1, 1024}, {257, 3, 1, 768}};
    const std::vector<Entry> raw = {{254, 4, 1, 0}, {256, 4, 1, 6000}, {257, 4, 1, 4000}};
    const std::vector<Entry> rawNoType = {{256, 4, 1, 6000}, {257, 4, 1, 4000}};
    const std::vector<Entry> rawNoHeight = {{254, 4, 1, 0}, {256, 4, 1, 6000}};
    for (const TiffShape s : TiffShapes) {
        SCOPED_TRACE(s.Name());
        const SizeCase cases[] = {
            {"one sub-directory, the raw", Raw(s, 1, {raw}), ImageSize{6000, 4000}},
            {"preview, then raw (NEF)", Raw(s, 1, {preview, raw}), ImageSize{6000, 4000}},
            {"raw, then preview", Raw(s, 1, {raw, preview}), ImageSize{6000, 4000}},
            {"no NewSubfileType means full resolution", Raw(s, 1, {preview, rawNoType}),
             ImageSize{6000, 4000}},
            {"only previews: the first directory", Raw(s, 1, {preview, preview}),
             ImageSize{160, 120}},
            {"the full-resolution one has no height", Raw(s, 1, {rawNoHeight}),
             ImageSize{160, 120}},
            {"the sub-directory wins over a full-size first one", Raw(s, 0, {raw}),
             ImageSize{6000, 4000}},
            {"no sub-directories", Raw(s, 1, {}), ImageSize{160, 120}},
        };
        ExpectSizes(cases);
    }
}

TEST(PhotoHeaders, TiffHostileDirectories) {
    const TiffShape little{true, false};
    const TiffShape big{true, true};
    // 65535 entries claimed, none there but the first two.
    Bytes claimsMany = Tiff(little, {{256, 3, 1, 640}, {257, 3, 1, 480}});
    claimsMany[8] = 0xFF;
    claimsMany[9] = 0xFF;
    // A BigTIFF that claims 2^63 entries of which the first two are real and unsorted past
    // 330, so the walk does not stop early: the entry cap ends it.
    Bytes bigClaims = Tiff(big, {{257, 3, 1, 480}, {256, 3, 1, 640}});
    for (int k = 16; k < 24; ++k) bigClaims[static_cast<std::size_t>(k)] = k == 23 ? 0x80 : 0;
    // Sub-directories that point back at the first directory, again and again.
    Bytes loop = Raw(little, 1, {{{254, 4, 1, 1}}});
    const Bytes selfArray =
        Cat({TiffHeader(little, 8),
             Directory(little, {{256, 3, 1, 5}, {257, 3, 1, 6}, {330, 4, 100000, 8}})});
    const SizeCase cases[] = {
        {"count past the data", claimsMany, None},
        {"BigTIFF count of 2^63", bigClaims, None},
        {"BigTIFF with bytesize 4", Cat({{'I', 'I', 43, 0}, Le16(4), Le16(0), Le64(16)}), None},
        {"BigTIFF cut in its offset", Cat({{'I', 'I', 43, 0}, Le16(8), Le16(0), {16, 0}}), None},
        {"classic header alone", TiffHeader(little, 8), None},
        {"sub-directory array of 100000 pointing into IFD0", selfArray, None},
        {"sub-directory that is IFD0 without a type", loop, ImageSize{160, 120}},
        // 4 x (2^62 + 1) wraps to 4 in 64 bits: as if one offset stood in the entry.
        {"BigTIFF sub-directory count that wraps its size",
         Tiff(big, {{256, 3, 1, 5}, {257, 3, 1, 6}, {330, 4, (std::uint64_t{1} << 62) + 1, 16}}),
         None},
        {"version 41", Cat({{'I', 'I', 41, 0}, Le32(8), Directory(little, {})}), None},
    };
    ExpectSizes(cases, [](const Bytes& bytes) {
        MemorySource source(bytes);
        return ReadTiffSize(source);
    });
}

// ---- JPEG XL: codestream headers written bit by bit, lowest bit first.
class Bits {
public:
    Bits& Put(std::uint32_t value, unsigned count) {
        for (unsigned k = 0; k < count; ++k, ++n_) {
            if (n_ % 8 == 0) bytes_.push_back(0);
            bytes_.back() |= static_cast<std::uint8_t>((value >> k & 1) << (n_ % 8));
        }
        return *this;
    }
    // U32(Bits(9), Bits(13), Bits(18), Bits(30)) of side - 1, in the smallest selector.
    Bits& Side(std::uint32_t side) {
        const std::uint32_t v = side - 1;
        const unsigned selector = v < (1u << 9) ? 0 : v < (1u << 13) ? 1 : v < (1u << 18) ? 2 : 3;
        constexpr unsigned Widths[] = {9, 13, 18, 30};
        return Put(selector, 2).Put(v, Widths[selector]);
    }
    Bytes Done() const { return bytes_; }

private:
    Bytes bytes_;
    unsigned n_ = 0;
};
// SizeHeader without div8, then ImageMetadata with the orientation (1: all_default).
Bytes Codestream(std::uint32_t width, std::uint32_t height, std::uint32_t orientation = 1) {
    Bits bits;
    bits.Put(0, 1).Side(height).Put(0, 3).Side(width);
    if (orientation == 1) {
        bits.Put(1, 1);
    } else {
        bits.Put(0, 1).Put(1, 1).Put(orientation - 1, 3);
    }
    bits.Put(0, 32);  // what follows in a real header
    return Cat({{0xFF, 0x0A}, bits.Done()});
}
Bytes Div8(std::uint32_t heightEighths, std::uint32_t ratio, std::uint32_t widthEighths = 1) {
    Bits bits;
    bits.Put(1, 1).Put(heightEighths - 1, 5).Put(ratio, 3);
    if (ratio == 0) bits.Put(widthEighths - 1, 5);
    bits.Put(1, 1).Put(0, 16);
    return Cat({{0xFF, 0x0A}, bits.Done()});
}
Bytes JxlBox(const char* type, const Bytes& payload) {
    return Cat({Be32(static_cast<std::uint32_t>(8 + payload.size())), Text(type), payload});
}
const Bytes JxlSignature = {0, 0, 0, 12, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
const Bytes JxlFtyp = JxlBox("ftyp", Cat({Text("jxl "), Be32(0), Text("jxl ")}));

TEST(PhotoHeaders, JpegXlSizeHeaderAndOrientation) {
    const Bytes cs = Codestream(4000, 3000);
    const auto part = [&](std::uint32_t index, std::size_t from, std::size_t to) {
        return JxlBox("jxlp", Cat({Be32(index), Bytes(cs.begin() + static_cast<long>(from),
                                                      cs.begin() + static_cast<long>(to))}));
    };
    const SizeCase cases[] = {
        {"9-bit sides", Codestream(300, 200), ImageSize{300, 200}},
        {"13-bit sides", Codestream(4000, 3000), ImageSize{4000, 3000}},
        {"18-bit sides", Codestream(200000, 9), ImageSize{200000, 9}},
        {"30-bit sides", Codestream(1u << 30, 1u << 30), ImageSize{1u << 30, 1u << 30}},
        {"1x1", Codestream(1, 1), ImageSize{1, 1}},
        {"div8 square", Div8(32, 1), ImageSize{256, 256}},
        {"div8 12:10", Div8(10, 2), ImageSize{96, 80}},
        {"div8 4:3", Div8(3, 3), ImageSize{32, 24}},
        {"div8 3:2", Div8(2, 4), ImageSize{24, 16}},
        {"div8 16:9", Div8(9, 5), ImageSize{128, 72}},
        {"div8 5:4", Div8(4, 6), ImageSize{40, 32}},
        {"div8 2:1", Div8(16, 7), ImageSize{256, 128}},
        {"div8 own width", Div8(2, 0, 32), ImageSize{256, 16}},
        {"orientation 4 (mirrored) keeps the sides", Codestream(300, 200, 4), ImageSize{300, 200}},
        {"orientation 5 swaps", Codestream(300, 200, 5), ImageSize{200, 300}},
        {"orientation 8 swaps", Codestream(300, 200, 8), ImageSize{200, 300}},
        {"cut in the width", Bytes(cs.begin(), cs.begin() + 4), None},
        {"signature alone", {0xFF, 0x0A}, None},
        {"container, jxlc", Cat({JxlSignature, JxlFtyp, JxlBox("jxlc", cs)}),
         ImageSize{4000, 3000}},
        {"container, 64-bit box size",
         Cat({JxlSignature, JxlFtyp, Be32(1), Text("jxlc"), Be64(16 + cs.size()), cs}),
         ImageSize{4000, 3000}},
        {"container, jxlc to the end of the file",
         Cat({JxlSignature, JxlFtyp, Be32(0), Text("jxlc"), cs}), ImageSize{4000, 3000}},
        {"container, jxlp of one byte each",
         Cat({JxlSignature, JxlFtyp, part(0, 0, 1), part(1, 1, 2), part(2, 2, 3),
              JxlBox("Exif", Bytes(10, 0)), part(3, 3, 4), part(0x80000004u, 4, cs.size())}),
         ImageSize{4000, 3000}},
        {"container, parts end inside the header",
         Cat({JxlSignature, JxlFtyp, part(0x80000000u, 0, 4)}), None},
        {"container without codestream", Cat({JxlSignature, JxlFtyp}), None},
        {"container, box size below its header",
         Cat({JxlSignature, Be32(4), Text("ftyp"), JxlBox("jxlc", cs)}), None},
        {"container, jxlc that is no codestream",
         Cat({JxlSignature, JxlFtyp, JxlBox("jxlc", Bytes(20, 0x0A))}), None},
        {"container, a million empty boxes",
         [] {
             Bytes b = JxlSignature;
             for (int i = 0; i < 5000; ++i) b = Cat({b, JxlBox("free", {})});
             return b;
         }(),
         None},
    };
    ExpectSizes(cases);
}

// ---- HEIF: boxes of a primary item with its properties.
Bytes Box(const char* type, const Bytes& payload) {
    return Cat({Be32(static_cast<std::uint32_t>(8 + payload.size())), Text(type), payload});
}
Bytes FullBox(const char* type, std::uint32_t version, std::uint32_t flags, const Bytes& payload) {
    return Box(type, Cat({{B(version, 0), B(flags, 16), B(flags, 8), B(flags, 0)}, payload}));
}
Bytes Ispe(std::uint32_t width, std::uint32_t height) {
    return FullBox("ispe", 0, 0, Cat({Be32(width), Be32(height)}));
}
Bytes Irot(std::uint8_t angle) {
    return Box("irot", {angle});
}
Bytes Clap(std::uint32_t wN, std::uint32_t wD, std::uint32_t hN, std::uint32_t hD) {
    return Box("clap",
               Cat({Be32(wN), Be32(wD), Be32(hN), Be32(hD), Be32(0), Be32(1), Be32(0), Be32(1)}));
}
struct Association {
    std::uint32_t item;
    std::vector<std::uint32_t> properties;
};
Bytes Ipma(const std::vector<Association>& entries, std::uint32_t version = 0,
           std::uint32_t flags = 0) {
    Bytes body = Be32(static_cast<std::uint32_t>(entries.size()));
    for (const Association& a : entries) {
        body = Cat({body,
                    version == 0 ? Be16(a.item) : Be32(a.item),
                    {static_cast<std::uint8_t>(a.properties.size())}});
        for (const std::uint32_t p : a.properties) {
            body = Cat({body, (flags & 1) != 0 ? Be16(p | 0x8000) : Bytes{B(p | 0x80, 0)}});
        }
    }
    return FullBox("ipma", version, flags, body);
}
Bytes Heif(const Bytes& properties, const Bytes& ipma, std::uint32_t primary = 1,
           const char* brand = "heic") {
    const Bytes meta =
        FullBox("meta", 0, 0,
                Cat({FullBox("hdlr", 0, 0, Cat({Be32(0), Text("pict"), Bytes(13, 0)})),
                     FullBox("pitm", 0, 0, Be16(primary)),
                     Box("iprp", Cat({Box("ipco", properties), ipma}))}));
    return Cat({Box("ftyp", Cat({Text(brand), Be32(0), Text("mif1")})), meta, Box("mdat", {})});
}

TEST(PhotoHeaders, HeifPrimaryItemProperties) {
    // Camera-like: 48 tiles with their own 512x512 extents before the grid's entry.
    std::vector<Association> tiles;
    for (std::uint32_t i = 1; i <= 48; ++i) tiles.push_back({i, {1}});
    std::vector<Association> camera = tiles;
    camera.push_back({49, {2, 3}});
    std::vector<Association> many;
    for (std::uint32_t i = 1; i <= 3000; ++i) many.push_back({i, {1}});
    many.push_back({40000, {2}});
    const Bytes ispes = Cat({Ispe(512, 512), Ispe(4032, 3024), Irot(3)});
    Bytes ftypMp4 = Heif(Ispe(640, 480), Ipma({{1, {1}}}), 1, "isom");
    ftypMp4[16] = 'x';  // "mif1" as a compatible brand no more
    const SizeCase cases[] = {
        {"ispe", Heif(Ispe(640, 480), Ipma({{1, {1}}})), ImageSize{640, 480}},
        {"the primary's, not the first item's",
         Heif(Cat({Ispe(160, 120), Ispe(640, 480)}), Ipma({{1, {1}}, {2, {2}}}), 2),
         ImageSize{640, 480}},
        {"camera grid of 48 tiles, turned", Heif(ispes, Ipma(camera), 49), ImageSize{3024, 4032}},
        {"3000 entries before the primary's, 32-bit IDs", Heif(ispes, Ipma(many, 1), 40000),
         ImageSize{4032, 3024}},
        {"16-bit property indices", Heif(Cat({Ispe(640, 480), Irot(1)}), Ipma({{1, {1, 2}}}, 0, 1)),
         ImageSize{480, 640}},
        {"irot 2 keeps the sides", Heif(Cat({Ispe(640, 480), Irot(2)}), Ipma({{1, {1, 2}}})),
         ImageSize{640, 480}},
        {"irot's reserved bits are not the angle",
         Heif(Cat({Ispe(640, 480), Irot(0xFC)}), Ipma({{1, {1, 2}}})), ImageSize{640, 480}},
        {"ispe listed after the transform",
         Heif(Cat({Irot(1), Ispe(640, 480)}), Ipma({{1, {1, 2}}})), ImageSize{480, 640}},
        {"clap rounds halves up",
         Heif(Cat({Ispe(640, 480), Clap(1001, 2, 599, 2)}), Ipma({{1, {1, 2}}})),
         ImageSize{501, 300}},
        {"clap, then irot: the crop is of the stored picture",
         Heif(Cat({Ispe(640, 480), Clap(600, 1, 400, 1), Irot(1)}), Ipma({{1, {1, 2, 3}}})),
         ImageSize{400, 600}},
        {"irot, then clap: the crop is of the turned picture",
         Heif(Cat({Ispe(640, 480), Irot(1), Clap(400, 1, 600, 1)}), Ipma({{1, {1, 2, 3}}})),
         ImageSize{400, 600}},
        {"clap with denominator 0",
         Heif(Cat({Ispe(640, 480), Clap(600, 0, 400, 1)}), Ipma({{1, {1, 2}}})), None},
        {"clap wider than the picture",
         Heif(Cat({Ispe(640, 480), Clap(641, 1, 400, 1)}), Ipma({{1, {1, 2}}})), None},
        {"clap to nothing", Heif(Cat({Ispe(640, 480), Clap(0, 1, 400, 1)}), Ipma({{1, {1, 2}}})),
         None},
        {"property index 0 is none", Heif(Ispe(640, 480), Ipma({{1, {0, 1}}})),
         ImageSize{640, 480}},
        {"index past the container", Heif(Ispe(640, 480), Ipma({{1, {5}}})), None},
        {"primary has no entry", Heif(Ispe(640, 480), Ipma({{2, {1}}})), None},
        {"primary has no ispe", Heif(Irot(1), Ipma({{1, {1}}})), None},
        {"zero-width ispe", Heif(Ispe(0, 480), Ipma({{1, {1}}})), None},
        {"AVIF brand", Heif(Ispe(64, 64), Ipma({{1, {1}}}), 1, "avif"), ImageSize{64, 64}},
        {"an MP4: no image brand", ftypMp4, None},
    };
    ExpectSizes(cases);
}

TEST(PhotoHeaders, HeifHostileBoxes) {
    const Bytes ftyp = Box("ftyp", Cat({Text("heic"), Be32(0), Text("mif1")}));
    const Bytes good = Heif(Ispe(640, 480), Ipma({{1, {1}}}));
    // An ipma that claims four billion entries and holds one.
    const Bytes claims =
        Heif(Ispe(640, 480), FullBox("ipma", 0, 0, Cat({Be32(0xFFFFFFFFu), Be16(2), {1, 0x81}})));
    Bytes freeChain = ftyp;
    for (int i = 0; i < 2000; ++i) freeChain = Cat({freeChain, Box("free", {})});
    freeChain = Cat({freeChain, Bytes(good.begin() + static_cast<long>(ftyp.size()), good.end())});
    const SizeCase cases[] = {
        {"meta after mdat",
         Cat({ftyp, Box("mdat", Bytes(100, 0)),
              Bytes(good.begin() + static_cast<long>(ftyp.size()), good.end())}),
         ImageSize{640, 480}},
        {"64-bit box sizes",
         Cat({ftyp, Be32(1), Text("mdat"), Be64(16),
              Bytes(good.begin() + static_cast<long>(ftyp.size()), good.end())}),
         ImageSize{640, 480}},
        {"ipma claims more entries than it holds", claims, None},
        {"2000 empty boxes before meta", freeChain, None},
        {"box size below its header", Cat({ftyp, Be32(7), Text("meta"), Bytes(40, 0)}), None},
        {"box larger than its parent",
         Cat({ftyp, FullBox("meta", 0, 0, Cat({Be32(1000), Text("pitm"), Bytes(8, 0)}))}), None},
        {"ftyp alone", ftyp, None},
        {"ftyp not first", Cat({Box("free", {}), good}), None},
    };
    ExpectSizes(cases, [](const Bytes& bytes) {
        MemorySource source(bytes);
        return ReadHeifSize(source);
    });
}

TEST(PhotoHeaders, ReadersRefuseEachOthersBytes) {
    // Each reader is called only for its own signature, but must not take anything else.
    for (const Committed& c : Photos) {
        SCOPED_TRACE(c.file);
        const Bytes bytes = ReadBytes(DataPath(std::string("images/") + c.file));
        MemorySource source(bytes);
        EXPECT_EQ(ReadWebpSize(source).has_value(), c.format == ImageFormat::WebP);
        EXPECT_EQ(ReadHeifSize(source).has_value(), c.format == ImageFormat::Heif);
        EXPECT_EQ(ReadTiffSize(source).has_value(), c.format == ImageFormat::Tiff);
        EXPECT_EQ(ReadJxlSize(source).has_value(), c.format == ImageFormat::JpegXl);
    }
}

}  // namespace
}  // namespace tessel
