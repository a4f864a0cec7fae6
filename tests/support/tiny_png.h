// tests/support/tiny_png.h: the smallest PNG files that carry a given size in their header,
// for tests that need images of known SquareSide without storing any.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tessel::test {

// Signature, IHDR (width x height, 8-bit RGB) and IEND, with correct CRCs but no pixel data:
// only the header is ever read. `padding` zero bytes follow, to vary the file's size.
std::vector<std::uint8_t> TinyPng(std::uint32_t width, std::uint32_t height,
                                  std::size_t padding = 0);

// i0.png, i1.png, ... in `folder`, image i a square of the i-th of `sides`.
void WriteSquares(const std::string& folder, std::initializer_list<std::uint32_t> sides);

}  // namespace tessel::test

namespace tessel {  // named for the tests as test_support.h names its own
using test::TinyPng;
using test::WriteSquares;
}  // namespace tessel
