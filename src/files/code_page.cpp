// files/code_page.cpp: character stepping for code page 932 and UTF-8. Pure byte logic,
// so both code pages are tested on every host.
#include "files/code_page.h"

namespace tessel {
namespace {

bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t Utf8SequenceLength(unsigned char b) {
    if (b >= 0xF0 && b <= 0xF7) return 4;
    if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
    if (b >= 0xC0) return 2;
    return 1;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t pos, CodePage cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t wanted =
        cp == CodePage::Cp932 ? (IsCp932LeadByte(lead) ? 2 : 1) : Utf8SequenceLength(lead);
    // A lead byte cut off by the end of the text stands alone.
    const std::size_t left = text.size() - pos;
    if (wanted > left) return 1;
    // Linux names need not be UTF-8 ("caf\xE9.jpg" in Latin-1): a lead byte without its
    // continuation bytes stands alone too, or it would swallow the "." after it.
    if (cp == CodePage::Utf8) {
        for (std::size_t i = 1; i < wanted; ++i) {
            if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
        }
    }
    return wanted;
}

std::optional<std::size_t> FindLastChar(std::string_view text, char c, CodePage cp) {
    // In UTF-8 no byte of a longer character is below 0x80 (and a stray byte stands alone),
    // so an ASCII character is found by its byte alone.
    if (cp == CodePage::Utf8 && static_cast<unsigned char>(c) < 0x80) {
        const std::size_t pos = text.rfind(c);
        if (pos == std::string_view::npos) return std::nullopt;
        return pos;
    }
    std::optional<std::size_t> found;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, cp)) {
        if (text[pos] == c && CharLength(text, pos, cp) == 1) found = pos;
    }
    return found;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle, CodePage cp) {
    return FindNoCase(haystack, needle, cp).has_value();
}

std::optional<std::size_t> FindNoCase(std::string_view haystack, std::string_view needle,
                                      CodePage cp) {
    if (needle.empty()) return 0;
    for (std::size_t start = 0; start < haystack.size(); start += CharLength(haystack, start, cp)) {
        std::size_t h = start;
        std::size_t n = 0;
        while (n < needle.size() && h < haystack.size()) {
            const std::size_t hl = CharLength(haystack, h, cp);
            const std::size_t nl = CharLength(needle, n, cp);
            if (hl != nl) break;
            // Only single-byte characters fold; a double-byte character matches whole,
            // so the trail byte 0x41 of ア never meets 'a'.
            if (hl == 1 ? AsciiLower(haystack[h]) != AsciiLower(needle[n])
                        : haystack.substr(h, hl) != needle.substr(n, nl)) {
                break;
            }
            h += hl;
            n += nl;
        }
        if (n == needle.size()) return start;
    }
    return std::nullopt;
}

}  // namespace tessel
