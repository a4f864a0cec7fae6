// tests/files/header_bytes.h: image headers built byte by byte for the readers' tests, and the
// table rows those tests check them with.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

#include "files/image_probe.h"

namespace tessel {

inline void PrintTo(const ImageSize& size, std::ostream* out) {
    *out << size.width << "x" << size.height;
}

namespace test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
inline Bytes Le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}
inline Bytes Be32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

// What the probe reads in `bytes`, from memory as from a file.
inline std::optional<ImageSize> SizeOf(const Bytes& bytes) {
    MemorySource source(bytes);
    return ReadImageSize(source);
}
// The format the first bytes tell; a shorter file reads as if zeros followed.
inline ImageFormat FormatOf(const Bytes& bytes) {
    std::uint8_t head[FormatHeadSize] = {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), FormatHeadSize), head);
    return DetectFormat(head);
}

// A header and the size its reader gives, none where the reader must give up.
struct SizeCase {
    const char* what;
    Bytes bytes;
    std::optional<ImageSize> size;
};
template <typename Read = decltype(&SizeOf)>
void ExpectSizes(std::span<const SizeCase> cases, Read read = &SizeOf) {
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read(c.bytes), c.size);
    }
}

// A file's first bytes and the format they tell.
struct FormatCase {
    const char* what;
    Bytes head;
    ImageFormat format;
};
inline void ExpectFormats(std::span<const FormatCase> cases) {
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FormatOf(c.head), c.format);
    }
}

}  // namespace test

using test::Be32;
using test::Bytes;
using test::Cat;
using test::ExpectFormats;
using test::ExpectSizes;
using test::FormatCase;
using test::FormatOf;
using test::Le32;
using test::SizeCase;
using test::SizeOf;

}  // namespace tessel
