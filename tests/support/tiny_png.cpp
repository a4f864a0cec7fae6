#include "support/tiny_png.h"

#include "support/test_support.h"

namespace tessel::test {
namespace {

std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = ~0u;
    for (const std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBig32(out, Crc32(typed));
}

}  // namespace

std::vector<std::uint8_t> TinyPng(std::uint32_t width, std::uint32_t height, std::size_t padding) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IEND", {});
    out.insert(out.end(), padding, 0);
    return out;
}

void WriteSquares(const std::string& folder, std::initializer_list<std::uint32_t> sides) {
    std::size_t i = 0;
    for (const std::uint32_t side : sides)
        WriteBytes(folder + Sep() + "i" + std::to_string(i++) + ".png", TinyPng(side, side));
}

}  // namespace tessel::test
