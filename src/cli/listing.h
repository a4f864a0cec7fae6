// cli/listing.h: the records of --list. A path may hold any byte but "/" and NUL on Linux,
// line feeds included, so a script could not tell where one line-based record ends: either
// the records end with NUL (--null, as find -print0 does) and the path goes out as it is,
// or the path's control characters and backslashes are written as C escapes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::cli {

// The C escapes EscapePath writes: the character, and the letter after the backslash.
struct CharEscape {
    char raw;
    char letter;
};
inline constexpr CharEscape CharEscapes[] = {{'\\', '\\'}, {'\a', 'a'}, {'\b', 'b'}, {'\f', 'f'},
                                             {'\n', 'n'},  {'\r', 'r'}, {'\t', 't'}, {'\v', 'v'}};

// `path` with "\\" for a backslash, "\n", "\r", "\t" and the other C escapes for control
// characters, and "\xHH" (two lower-case hex digits) for the rest of them and DEL. Every
// other byte, UTF-8 or not, stays as it is.
std::string EscapePath(std::string_view path);

// SIDE, a tab, BYTES, a tab, the path, and the end: a line feed (path escaped) or NUL (path
// raw).
std::string ListingRecord(std::int32_t side, std::uint64_t bytes, std::string_view path,
                          bool nulTerminated);

}  // namespace tessel::cli
