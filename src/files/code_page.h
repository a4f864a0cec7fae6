// files/code_page.h: character-wise searches in path and list texts.
// Paths are bytes in the platform's code page: 932 on Windows, UTF-8 on POSIX. In code
// page 932 the second byte of 表 and ソ is 0x5C, the byte of '\', so every search steps
// over whole characters; a trail byte never matches a single-byte character.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessel {

enum class CodePage { Cp932, Utf8 };

// Length in bytes of the character that starts at text[pos] (1 or more, never past the end).
std::size_t CharLength(std::string_view text, std::size_t pos, CodePage cp);

// Position of the last occurrence of the single-byte character `c`, or nullopt.
std::optional<std::size_t> FindLastChar(std::string_view text, char c, CodePage cp);

// Whether `needle` occurs in `haystack` starting at a character boundary, ASCII letters
// compared without case and every other character compared as a whole (the rule of the
// extension match).
bool ContainsNoCase(std::string_view haystack, std::string_view needle, CodePage cp);
// Where the first such occurrence starts, or nullopt.
std::optional<std::size_t> FindNoCase(std::string_view haystack, std::string_view needle,
                                      CodePage cp);

}  // namespace tessel
