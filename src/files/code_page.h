// files/code_page.h: character-wise searches in path and list texts, the conversions
// between the engine's UTF-8 and UTF-16 (and code page 932), and the size a text takes in
// code page 932, the unit of the window's limits.
//
// The engine's paths and texts are UTF-8 on every platform; the Windows seam and the window
// speak UTF-16 to the wide calls, so every name is found, copied and shown whole. Code page
// 932 remains a measure: the window's limits (the 1023-byte log, the 259-character field)
// count what a text took in it when the window spoke it, so that they fall where they always
// fell on a Japanese Windows. In code page 932 the second byte of 表 and ソ is 0x5C, the byte
// of '\', so every search in such a text steps over whole characters; a trail byte never
// matches a single-byte character.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

enum class CodePage { Cp932, Utf8 };

// The code page whose bytes the limits of the job's texts count (the status text's cuts, the
// window's fields), and in which the tessel command on Windows shows the job's texts: 932 in
// the Windows build, as on a Japanese Windows the window and the command always counted and
// showed them; UTF-8 elsewhere. The texts themselves are UTF-8 on both.
#ifdef _WIN32
inline constexpr CodePage TextCodePage = CodePage::Cp932;
#else
inline constexpr CodePage TextCodePage = CodePage::Utf8;
#endif

// UTF-8 to UTF-16 and back, exactly for every name the wide calls can give: an unpaired
// surrogate, which Windows allows in names, travels as its own three bytes (as WTF-8 writes
// it), so a name listed comes back to the same name. Bytes that are not UTF-8 become U+FFFD
// each.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Code page 932 to UTF-8, exactly as Windows converts it; nullopt when the text holds a byte
// sequence that is no character of code page 932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// UTF-8 to code page 932, for showing. Every character that code page 932 lacks (accented
// Latin letters, Korean, most of simplified Chinese, emoji) becomes one "?", and never a
// look-alike: "café" reads "caf?", not the "cafe" that would name another file. Bytes that
// are not UTF-8 become "?" each.
std::string Utf8ToCp932(std::string_view utf8);

// A UTF-8 text in TextCodePage: Utf8ToCp932 in the Windows build, unchanged elsewhere.
std::string InTextCodePage(std::string_view utf8);

// 'A' to 'Z' as 'a' to 'z', every other byte unchanged. Safe on a single-byte character of
// either code page, and on any byte of UTF-8, where no byte of a longer character is ASCII.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// What a UTF-8 text takes in `cp`, in bytes. In code page 932 every character counts the
// bytes it has there, one or two, and a character that code page lacks counts one: the "?"
// that stood for it while the window spoke code page 932. So the measure of a text is the
// size of its Utf8ToCp932. In UTF-8 it is the text's size.
std::size_t ShownSize(std::string_view utf8, CodePage cp);

// How many bytes of `utf8` to keep so that it takes at most `limit` in `cp`: the first
// ones (ShownPrefix) or the last ones (ShownSuffix). In code page 932 only whole characters
// are kept, so a character that the limit would cut through is left out: the limit falls
// where it fell in code page 932 bytes, and the text stays UTF-8. In UTF-8 the bytes are
// cut where the limit says, inside a character too, as the command always cut them.
std::size_t ShownPrefix(std::string_view utf8, std::size_t limit, CodePage cp);
std::size_t ShownSuffix(std::string_view utf8, std::size_t limit, CodePage cp);

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
