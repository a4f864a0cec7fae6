// files/image_header.h: what every header reader works with: the source it reads from, the
// size it gives, and the byte orders of the fields. A reader takes bytes and gives a size or
// nothing; it never opens a file, never allocates for what a header claims, and reads a
// bounded number of short pieces however the bytes are made.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tessel {

struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const ImageSize&) const = default;
};

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

// Offsets a header gives are taken no further than this: far past any file, and far enough
// below 2^64 that an offset plus a few field lengths cannot wrap.
inline constexpr std::uint64_t FarthestOffset = std::uint64_t{1} << 62;

// Exactly N bytes at `offset`, or false when the source ends first.
template <std::size_t N>
bool ReadExactly(ByteSource& source, std::uint64_t offset, std::array<std::uint8_t, N>& out) {
    return offset < FarthestOffset && source.ReadAt(offset, out) == N;
}

namespace header {

using Bytes = std::span<const std::uint8_t>;

inline std::uint32_t Be16(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 8 | b[at + 1];
}
inline std::uint32_t Be24(Bytes b, std::size_t at) {
    return Be16(b, at) << 8 | b[at + 2];
}
inline std::uint32_t Be32(Bytes b, std::size_t at) {
    return Be16(b, at) << 16 | Be16(b, at + 2);
}
inline std::uint64_t Be64(Bytes b, std::size_t at) {
    return std::uint64_t{Be32(b, at)} << 32 | Be32(b, at + 4);
}
inline std::uint32_t Le16(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at + 1]) << 8 | b[at];
}
inline std::uint32_t Le24(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at + 2]) << 16 | Le16(b, at);
}
inline std::uint32_t Le32(Bytes b, std::size_t at) {
    return Le16(b, at + 2) << 16 | Le16(b, at);
}
inline std::uint64_t Le64(Bytes b, std::size_t at) {
    return std::uint64_t{Le32(b, at + 4)} << 32 | Le32(b, at);
}

// A four-character code as the big-endian number the boxes and chunks store.
constexpr std::uint32_t FourCc(const char (&code)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

}  // namespace header
}  // namespace tessel
