// files/code_page.cpp: character stepping for code page 932 and UTF-8, and the
// conversions. All but the code page 932 tables (os/code_page_*.cpp) is pure byte logic,
// so both code pages are tested on every host.
#include "files/code_page.h"

#include <algorithm>
#include <bitset>

#include "files/os/code_page_os.h"

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

constexpr char32_t Invalid = 0xFFFFFFFF;

// The code point of the sequence at text[pos] and its length, or Invalid and 1. Surrogate
// code points are taken (as WTF-8 writes them); overlong forms and code points past
// U+10FFFF are not.
char32_t DecodeUtf8(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t need = 0;
    char32_t cp = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2, cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3, cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return Invalid;
    }
    if (pos + need >= text.size()) return Invalid;  // cut off by the end
    for (std::size_t i = 1; i <= need; ++i) {
        const unsigned char b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return Invalid;
        cp = cp << 6 | (b & 0x3F);
    }
    length = need + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

// The characters of the Basic Multilingual Plane that code page 932 writes in two bytes,
// asked of the platform's table once: every character converted in one text, whose output
// is read back character by character by its lead bytes.
const std::bitset<0x10000>& DoubleByteInCp932() {
    static const std::bitset<0x10000> table = [] {
        std::bitset<0x10000> bits;
        std::u16string all;
        for (char32_t cp = 0; cp < 0x10000; ++cp) {
            if (!IsSurrogate(cp)) all += static_cast<char16_t>(cp);
        }
        const std::string bytes = os::BmpToCp932(all);
        std::size_t at = 0;
        for (const char16_t unit : all) {
            if (at >= bytes.size()) break;
            const bool pair = IsCp932LeadByte(static_cast<unsigned char>(bytes[at]));
            if (pair) bits.set(unit);
            at += pair ? 2 : 1;
        }
        return bits;
    }();
    return table;
}

// The code page 932 size of the character at utf8[pos], whose UTF-8 length goes to `length`.
std::size_t Cp932SizeAt(std::string_view utf8, std::size_t pos, std::size_t& length) {
    const char32_t cp = DecodeUtf8(utf8, pos, length);
    if (cp == Invalid || cp >= 0x10000) return 1;
    return DoubleByteInCp932().test(cp) ? 2 : 1;
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

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = 1;
        char32_t cp = DecodeUtf8(utf8, pos, length);
        pos += length;
        if (cp == Invalid) cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        const bool pair = cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() &&
                          utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
        if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        AppendUtf8(out, cp);
    }
    return out;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    const std::optional<std::u16string> wide = os::Cp932ToUtf16(cp932);
    if (!wide) return std::nullopt;
    return Utf16ToUtf8(*wide);
}

std::string Utf8ToCp932(std::string_view utf8) {
    // Code page 932 has nothing beyond U+FFFF and no surrogate: those become one "?" per
    // character here, where the platform would write one per UTF-16 unit.
    std::u16string bmp;
    bmp.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = 1;
        const char32_t cp = DecodeUtf8(utf8, pos, length);
        pos += length;
        bmp += cp == Invalid || cp >= 0x10000 || IsSurrogate(cp) ? u'?' : static_cast<char16_t>(cp);
    }
    return os::BmpToCp932(bmp);
}

std::size_t ShownSize(std::string_view utf8, CodePage cp) {
    if (cp == CodePage::Utf8) return utf8.size();
    std::size_t size = 0;
    for (std::size_t pos = 0, length = 1; pos < utf8.size(); pos += length) {
        size += Cp932SizeAt(utf8, pos, length);
    }
    return size;
}

std::size_t ShownPrefix(std::string_view utf8, std::size_t limit, CodePage cp) {
    if (cp == CodePage::Utf8) return std::min(utf8.size(), limit);
    std::size_t size = 0;
    std::size_t pos = 0;
    for (std::size_t length = 1; pos < utf8.size(); pos += length) {
        size += Cp932SizeAt(utf8, pos, length);
        if (size > limit) break;
    }
    return pos;
}

std::size_t ShownSuffix(std::string_view utf8, std::size_t limit, CodePage cp) {
    if (cp == CodePage::Utf8) return std::min(utf8.size(), limit);
    // From the front: UTF-8 can be stepped backwards, but not a stray byte that is none.
    std::size_t excess = ShownSize(utf8, cp);
    std::size_t pos = 0;
    for (std::size_t length = 1; excess > limit && pos < utf8.size(); pos += length) {
        excess -= Cp932SizeAt(utf8, pos, length);
    }
    return utf8.size() - pos;
}

std::string InTextCodePage(std::string_view utf8) {
    if constexpr (TextCodePage == CodePage::Cp932) {
        return Utf8ToCp932(utf8);
    } else {
        return std::string(utf8);
    }
}

}  // namespace tessel
