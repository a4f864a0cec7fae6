#include "files/image_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "header_bytes.h"
#include "support/test_support.h"

namespace tessel {
namespace {

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes Repeat(const Bytes& part, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::uint8_t Hi(std::uint32_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}
std::uint8_t Lo(std::uint32_t v) {
    return static_cast<std::uint8_t>(v);
}

// ---- JPEG pieces: a marker segment carries its length (which counts itself).
const Bytes Soi = {0xFF, 0xD8};
const Bytes Sos = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};

Bytes Segment(std::uint8_t marker, const Bytes& payload) {
    const auto length = static_cast<std::uint32_t>(payload.size() + 2);
    return Cat({{0xFF, marker, Hi(length), Lo(length)}, payload});
}
Bytes Frame(std::uint8_t marker, std::uint32_t width, std::uint32_t height) {
    return Segment(marker, {8, Hi(height), Lo(height), Hi(width), Lo(width), 1, 1, 0x11, 0});
}
Bytes Jpeg(std::initializer_list<Bytes> segments) {
    return Cat({Soi, Cat(segments), Sos, {0x12, 0x34, 0xFF, 0xD9}});
}

// ---- BMP: file header, then a DIB header of `dibSize` bytes.
Bytes Bmp(std::uint32_t dibSize, std::int32_t width, std::int32_t height, std::uint32_t bits = 24,
          std::uint32_t compression = 0, std::uint32_t planes = 1) {
    Bytes dib = Cat({Le32(dibSize),
                     Le32(static_cast<std::uint32_t>(width)),
                     Le32(static_cast<std::uint32_t>(height)),
                     {Lo(planes), Hi(planes), Lo(bits), Hi(bits)},
                     Le32(compression)});
    dib.resize(dibSize, 0);
    return Cat({{'B', 'M'}, Le32(14 + dibSize + 4), Le32(0), Le32(14 + dibSize), dib, Le32(0)});
}
Bytes CoreBmp(std::uint32_t width, std::uint32_t height, std::uint32_t bits = 24,
              std::uint32_t planes = 1) {
    return Cat(
        {{'B', 'M'},
         Le32(30),
         Le32(0),
         Le32(26),
         Le32(12),
         {Lo(width), Hi(width), Lo(height), Hi(height), Lo(planes), Hi(planes), Lo(bits), Hi(bits)},
         Le32(0)});
}

// ---- GIF and PNG headers.
Bytes Gif(std::uint32_t width, std::uint32_t height) {
    return Cat({{'G', 'I', 'F', '8', '9', 'a', Lo(width), Hi(width), Lo(height), Hi(height)},
                {0x00, 0x00, 0x00, 0x3B}});
}
const Bytes PngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
Bytes Png(std::uint32_t width, std::uint32_t height) {
    return Cat({PngSignature,
                Be32(13),
                {'I', 'H', 'D', 'R'},
                Be32(width),
                Be32(height),
                {8, 2, 0, 0, 0},
                Be32(0)});
}

struct Committed {
    const char* file;
    ImageFormat format;
    ImageSize size;
    std::int32_t side;
};
// How each file was made: tests/data/images/README.md.
const Committed CommittedImages[] = {
    {"baseline.jpg", ImageFormat::Jpeg, {640, 480}, 554},
    {"progressive.jpg", ImageFormat::Jpeg, {800, 600}, 692},
    {"cmyk.jpg", ImageFormat::Jpeg, {51, 37}, 43},
    {"exif_thumbnail.jpg", ImageFormat::Jpeg, {320, 240}, 277},  // not the 160x120 thumbnail
    {"stray_bytes.jpg", ImageFormat::Jpeg, {320, 240}, 277},     // as ImageMagick reads it
    {"gif87a.gif", ImageFormat::Gif, {33, 21}, 26},
    {"gif89a.gif", ImageFormat::Gif, {100, 100}, 100},
    {"one_by_one.gif", ImageFormat::Gif, {1, 1}, 1},
    {"png.png", ImageFormat::Png, {300, 7}, 45},
    {"core12.bmp", ImageFormat::Bmp, {17, 9}, 12},
    {"info40.bmp", ImageFormat::Bmp, {23, 11}, 15},
    {"top_down.bmp", ImageFormat::Bmp, {23, 11}, 15},
    {"v4_108.bmp", ImageFormat::Bmp, {31, 15}, 21},
    {"v5_124.bmp", ImageFormat::Bmp, {29, 13}, 19},
};

TEST(ImageProbe, CommittedImagesMeasureTheirSize) {
    for (const Committed& c : CommittedImages) {
        SCOPED_TRACE(c.file);
        const std::string path = DataPath(std::string("images/") + c.file);
        const Bytes bytes = ReadBytes(path);
        ASSERT_GE(bytes.size(), 8u);
        EXPECT_EQ(FormatOf(bytes), c.format);
        EXPECT_EQ(SizeOf(bytes), c.size);
        EXPECT_EQ(MeasureSquareSide(path), c.side);
    }
}

TEST(ImageProbe, EveryPrefixOfACommittedImageGivesItsSizeOrNothing) {
    // A header read either has every field it needs or fails: a cut file never yields a
    // made-up size. Once the header is complete, the rest of the file does not matter.
    for (const Committed& c : CommittedImages) {
        SCOPED_TRACE(c.file);
        const Bytes bytes = ReadBytes(DataPath(std::string("images/") + c.file));
        std::size_t firstComplete = bytes.size() + 1;
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            const std::optional<ImageSize> size = SizeOf(Cut(bytes, n));
            if (c.format == ImageFormat::Png && n >= 8) {
                // Missing header bytes read as 0 and the present ones keep their place,
                // so a cut PNG reads no larger than it is.
                ASSERT_TRUE(size) << n;
                EXPECT_LE(size->width, c.size.width) << n;
                EXPECT_LE(size->height, c.size.height) << n;
                if (n >= 24) {
                    EXPECT_EQ(size, c.size) << n;
                }
                continue;
            }
            if (size) {
                ASSERT_EQ(size, c.size) << n;
                firstComplete = std::min(firstComplete, n);
            } else {
                ASSERT_GT(firstComplete, n) << "a longer prefix failed after a shorter one";
            }
        }
        if (c.format != ImageFormat::Png) {
            EXPECT_LE(firstComplete, bytes.size());
        }
    }
}

TEST(ImageProbe, SquareSideIsTheWholeRootOfTheAreaCappedAt65535) {
    const struct {
        std::uint32_t width, height;
        std::int32_t side;
    } cases[] = {
        {640, 480, 554},
        {100, 100, 100},
        {800, 600, 692},
        {1, 1, 1},
        {0, 480, 0},
        {640, 0, 0},
        {65535, 65535, 65535},
        {65535, 65537, 65535},  // 2^32 - 1: the largest area below the cap
        {65536, 65536, 65535},  // 2^32 would wrap to 0 in 32 bits
        {65536, 1, 256},
        {4294967295u, 4294967295u, 65535},
        {3, 5, 3},  // 15 is just below 16
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(SquareSideOf({c.width, c.height}), c.side);
    }
}

TEST(ImageProbe, FormatIsToldByTheFirstBytes) {
    const FormatCase cases[] = {
        {"BM", {'B', 'M'}, ImageFormat::Bmp},
        {"GIF", {'G', 'I', 'F'}, ImageFormat::Gif},
        {"FF D8", {0xFF, 0xD8}, ImageFormat::Jpeg},
        {"PNG signature", PngSignature, ImageFormat::Png},
        {"bm in lower case", {'b', 'm'}, ImageFormat::Other},
        {"GI only", {'G', 'I'}, ImageFormat::Other},
        {"FF D9", {0xFF, 0xD9}, ImageFormat::Other},
        {"PNG signature with its last byte wrong",
         {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B},
         ImageFormat::Other},
        {"PNG signature cut at 7 bytes",
         {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A},
         ImageFormat::Other},
        {"zip", {'P', 'K', 0x03, 0x04}, ImageFormat::Other},
        {"nothing", {}, ImageFormat::Other},
    };
    ExpectFormats(cases);
}

TEST(ImageProbe, JpegFrameIsFoundByWalkingTheSegments) {
    const Bytes app0 = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    const Bytes quant = Segment(0xDB, Bytes(65, 0x10));
    // Segments that look like frames to a byte search but are skipped by their length.
    const Bytes exifWithThumbnail =
        Segment(0xE1, Cat({{'E', 'x', 'i', 'f', 0, 0}, Soi, Frame(0xC0, 160, 120), {0xFF, 0xD9}}));
    const Bytes tables = Cat({Segment(0xC4, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66}),
                              Segment(0xC8, {0x08, 0x00, 0x10, 0x00, 0x10}),
                              Segment(0xCC, {0x08, 0x00, 0x10, 0x00, 0x10})});
    const SizeCase cases[] = {
        {"baseline SOF0", Jpeg({app0, quant, Frame(0xC0, 640, 480)}), ImageSize{640, 480}},
        {"progressive SOF2", Jpeg({quant, Frame(0xC2, 1024, 768)}), ImageSize{1024, 768}},
        {"lossless SOF3", Jpeg({Frame(0xC3, 7, 9)}), ImageSize{7, 9}},
        {"arithmetic SOF15", Jpeg({Frame(0xCF, 3, 4)}), ImageSize{3, 4}},
        {"largest 16-bit sides", Jpeg({Frame(0xC0, 65535, 65535)}), ImageSize{65535, 65535}},
        {"EXIF thumbnail first", Jpeg({exifWithThumbnail, app0, Frame(0xC0, 2000, 1500)}),
         ImageSize{2000, 1500}},
        {"DHT, JPG and DAC before the frame", Jpeg({tables, Frame(0xC1, 50, 60)}),
         ImageSize{50, 60}},
        {"fill bytes before markers",
         Jpeg({{0xFF, 0xFF}, app0, {0xFF, 0xFF, 0xFF}, Frame(0xC0, 5, 6)}), ImageSize{5, 6}},
        {"stand-alone RST and TEM", Jpeg({{0xFF, 0xD0, 0xFF, 0xD7, 0xFF, 0x01}, Frame(0xC0, 8, 9)}),
         ImageSize{8, 9}},
        {"two hundred comments", Jpeg({Repeat(Segment(0xFE, {'h', 'i'}), 200), Frame(0xC0, 4, 4)}),
         ImageSize{4, 4}},
        {"SOS before any frame", Cat({Soi, Sos, Frame(0xC0, 640, 480)}), std::nullopt},
        {"EOI before any frame", Cat({Soi, {0xFF, 0xD9}, Frame(0xC0, 640, 480)}), std::nullopt},
        {"second SOI", Cat({Soi, Soi, Frame(0xC0, 640, 480)}), std::nullopt},
        // Stray bytes between segments are skipped to the next 0xFF, as decoders do.
        {"stuffed zero where a marker belongs", Cat({Soi, {0xFF, 0x00}, Frame(0xC0, 640, 480)}),
         ImageSize{640, 480}},
        {"one stray byte where a marker belongs", Cat({Soi, {0x00}, Frame(0xC0, 640, 480)}),
         ImageSize{640, 480}},
        {"stray bytes between two segments",
         Jpeg({app0, {0x00, 0x12, 0xD9, 0xFF, 0x00, 0x7F}, quant, Frame(0xC0, 320, 240)}),
         ImageSize{320, 240}},
        {"stray bytes that look like a frame's length",
         Jpeg({quant, {0xC0, 0x00, 0x11, 0x08, 0x00, 0x10}, Frame(0xC2, 33, 44)}),
         ImageSize{33, 44}},
        {"more stray bytes than one look takes",
         Jpeg({app0, Bytes(10000, 0x55), Frame(0xC0, 7, 5)}), ImageSize{7, 5}},
        {"stray bytes, then EOI", Cat({Soi, {0x00, 0x01, 0xFF, 0xD9}, Frame(0xC0, 640, 480)}),
         std::nullopt},
        {"stray bytes to the end", Cat({Soi, app0, Bytes(100, 0x20)}), std::nullopt},
        // 4096 looks of 4 KiB: 16 MiB of junk is not a picture.
        {"stray bytes past the step guard",
         Jpeg({Bytes(std::size_t{4097} * 4096, 0), Frame(0xC0, 640, 480)}), std::nullopt},
        {"length 0", Cat({Soi, {0xFF, 0xE0, 0x00, 0x00}, Frame(0xC0, 640, 480)}), std::nullopt},
        {"length 1", Cat({Soi, {0xFF, 0xE0, 0x00, 0x01}, Frame(0xC0, 640, 480)}), std::nullopt},
        {"length past the end", Cat({Soi, {0xFF, 0xE1, 0xFF, 0xFF}, Frame(0xC0, 640, 480)}),
         std::nullopt},
        {"frame segment too short for its fields",
         Cat({Soi, {0xFF, 0xC0, 0x00, 0x07, 8, 0x01, 0xE0, 0x02, 0x80, 1}}), std::nullopt},
        {"frame cut inside its width", Cat({Soi, {0xFF, 0xC0, 0x00, 0x11, 8, 0x01, 0xE0, 0x02}}),
         std::nullopt},
        {"zero width", Jpeg({Frame(0xC0, 0, 480)}), std::nullopt},
        {"zero height (DNL)", Jpeg({Frame(0xC0, 640, 0)}), std::nullopt},
        {"SOI alone", Soi, std::nullopt},
        {"endless chain of comments",
         Cat({Soi, Repeat(Segment(0xFE, {}), 5000), Frame(0xC0, 640, 480)}), std::nullopt},
        {"endless fill bytes", Cat({Soi, Bytes(5000, 0xFF), Frame(0xC0, 640, 480)}), std::nullopt},
    };
    ExpectSizes(cases);
}

TEST(ImageProbe, BitmapHeadersOfEveryKind) {
    const auto none = std::optional<ImageSize>();
    const std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
    const SizeCase cases[] = {
        {"core 12", CoreBmp(300, 200), ImageSize{300, 200}},
        {"core 12, largest sides", CoreBmp(65535, 65535, 1), ImageSize{65535, 65535}},
        {"info 40", Bmp(40, 640, 480), ImageSize{640, 480}},
        {"V2 52", Bmp(52, 5, 6, 16, 3), ImageSize{5, 6}},
        {"V3 56", Bmp(56, 7, 8, 32, 3), ImageSize{7, 8}},
        {"OS/2 2.x 64", Bmp(64, 9, 10, 8), ImageSize{9, 10}},
        {"V4 108", Bmp(108, 11, 12, 32), ImageSize{11, 12}},
        {"V5 124", Bmp(124, 13, 14, 4), ImageSize{13, 14}},
        {"top-down", Bmp(40, 640, -480), ImageSize{640, 480}},
        {"huge", Bmp(40, 0x7FFFFFFF, -0x7FFFFFFF, 1), ImageSize{0x7FFFFFFF, 0x7FFFFFFF}},
        {"RLE8", Bmp(40, 3, 3, 8, 1), ImageSize{3, 3}},
        {"RLE4", Bmp(40, 3, 3, 4, 2), ImageSize{3, 3}},
        {"unknown header size 16", Bmp(16, 640, 480), none},
        {"unknown header size 41", Bmp(41, 640, 480), none},
        {"header size 0", Bmp(0, 640, 480), none},
        {"zero width", Bmp(40, 0, 480), none},
        {"negative width", Bmp(40, -640, 480), none},
        {"zero height", Bmp(40, 640, 0), none},
        {"height without a magnitude", Bmp(40, 640, int32Min), none},
        {"no planes", Bmp(40, 640, 480, 24, 0, 0), none},
        {"two planes", Bmp(40, 640, 480, 24, 0, 2), none},
        {"bit count 0", Bmp(40, 640, 480, 0), none},
        {"bit count 2", Bmp(40, 640, 480, 2), none},
        {"bit count 48", Bmp(40, 640, 480, 48), none},
        {"RLE8 with 24 bits", Bmp(40, 640, 480, 24, 1), none},
        {"RLE4 with 8 bits", Bmp(40, 640, 480, 8, 2), none},
        {"RLE8 top-down", Bmp(40, 640, -480, 8, 1), none},
        {"bit fields with 24 bits", Bmp(40, 640, 480, 24, 3), none},
        {"JPEG payload", Bmp(40, 640, 480, 0, 4), none},
        {"PNG payload", Bmp(40, 640, 480, 0, 5), none},
        {"core with 16 bits", CoreBmp(300, 200, 16), none},
        {"core with zero width", CoreBmp(0, 200), none},
        {"core with two planes", CoreBmp(300, 200, 24, 2), none},
        {"text that starts with BM",
         {'B', 'M', 'W', ' ', 'i', 's', ' ', 'a', ' ', 'c', 'a', 'r'},
         none},
        {"BM alone", {'B', 'M'}, none},
    };
    ExpectSizes(cases);
}

TEST(ImageProbe, GifLogicalScreenAndPngHeader) {
    const auto none = std::optional<ImageSize>();
    Bytes wrongChunk = Png(640, 480);
    wrongChunk[12] = 'X';
    const SizeCase cases[] = {
        {"GIF", Gif(320, 200), ImageSize{320, 200}},
        {"GIF 65535 square", Gif(65535, 65535), ImageSize{65535, 65535}},
        {"GIF zero width", Gif(0, 200), none},
        {"GIF zero height", Gif(320, 0), none},
        {"GIF cut in its height", Cut(Gif(320, 200), 9), none},
        {"GIF signature alone", {'G', 'I', 'F'}, none},
        {"PNG", Png(640, 480), ImageSize{640, 480}},
        {"PNG 65536 square", Png(65536, 65536), ImageSize{65536, 65536}},
        {"PNG width 0", Png(0, 480), ImageSize{0, 480}},
        {"PNG of 23 bytes", Cut(Png(640, 480), 23), ImageSize{640, 0x100}},
        {"PNG signature alone", PngSignature, ImageSize{0, 0}},
        {"PNG whose first chunk is not IHDR", wrongChunk, ImageSize{640, 480}},
    };
    ExpectSizes(cases);
}

TEST(ImageProbe, MeasuresFilesByContentAndGivesOneForEverythingElse) {
    TempFolder folder;
    const Bytes jpeg = ReadBytes(DataPath("images/baseline.jpg"));
    const struct {
        const char* name;
        Bytes bytes;
        std::int32_t side;
    } cases[] = {
        {"photo.jpg", Png(800, 600), 692},  // a PNG under a JPEG name
        {"photo.png", jpeg, 554},           // and the other way round
        {"表.jpg", jpeg, 554},              // 表 ends in the byte of '\' in CP932
        {"huge.png", Png(65536, 65536), 65535},
        {"zero.png", Png(0, 480), 0},
        {"short.png", Cat({PngSignature, Be32(13), {'I', 'H'}}), 0},
        {"notes.bmp", {'B', 'M', ' ', 'n', 'o', 't', 'e', 's'}, 1},
        {"empty.jpg", {}, 1},
        {"one.jpg", {0xFF}, 1},
        {"archive.zip", {'P', 'K', 0x03, 0x04, 0x14, 0, 0, 0, 8, 0, 0, 0, 0, 0}, 1},
        {"broken.gif", Gif(0, 0), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / std::string(c.name);
        test::WriteBytes(path, c.bytes);
        EXPECT_EQ(MeasureSquareSide(path), c.side);
    }
    EXPECT_EQ(MeasureSquareSide(folder / "missing.jpg"), 1);
    EXPECT_EQ(MeasureSquareSide(folder.Path()), 1);  // a folder is not read as a file
}

}  // namespace
}  // namespace tessel
