// job/status_text.h: the byte rules of the status text. The text is UTF-8; its cuts count
// the bytes of TextCodePage (files/code_page.h): on Windows what the text takes in code page
// 932, so that every cut falls where the window made it on a Japanese Windows, a character
// that the cut would split being left out; elsewhere UTF-8 bytes, where the cut may fall
// inside a character, as the command always cut them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "files/code_page.h"

namespace tessel {

// Appends `addition` and keeps only the last `limit` bytes (the folder trail).
void AppendKeepingTail(std::string& text, std::string_view addition, std::size_t limit,
                       CodePage cp = TextCodePage);

// Keeps only the first `limit` bytes (every formatted composition).
std::string CutToLimit(std::string text, std::size_t limit, CodePage cp = TextCodePage);

// One value for ComposeText. Each constructor takes exactly one type so that a call never
// picks the wrong conversion: pass '\r' for %c, an unsigned number for %u.
class ComposeArg {
public:
    ComposeArg(std::uint64_t number) : kind_(Kind::Number), number_(number) {}
    ComposeArg(std::uint32_t number) : kind_(Kind::Number), number_(number) {}
    ComposeArg(char c) : kind_(Kind::Char), c_(c) {}
    ComposeArg(std::string_view text) : kind_(Kind::Text), text_(text) {}
    ComposeArg(const std::string& text) : kind_(Kind::Text), text_(text) {}
    ComposeArg(const char* text) : kind_(Kind::Text), text_(text) {}
    ComposeArg(const ComposeArg&) = delete;
    ComposeArg& operator=(const ComposeArg&) = delete;

    void AppendTo(std::string& out, char conversion) const;

private:
    enum class Kind { Number, Char, Text };
    Kind kind_;
    std::uint64_t number_ = 0;
    std::string_view text_;
    char c_ = 0;
};

// The texts' printf-like formats: %u takes a number in plain decimal digits (64 bits wide,
// so no total or count wraps), %c one character, %s a text, %% a percent sign. Arguments are
// taken in order whatever the conversion; a conversion without an argument gives nothing.
// The result is cut to its first `limit` bytes.
std::string ComposeText(std::string_view format, std::initializer_list<ComposeArg> args,
                        std::size_t limit, CodePage cp = TextCodePage);

}  // namespace tessel
