// Both code pages on every host: the searches are pure byte logic.
#include "files/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace tessel {
namespace {

// In code page 932: ソ 83 5C, フ 83 74, ト 83 67, 表 95 5C, ア 83 41.
constexpr std::string_view Software932 = "\x83\x5C\x83\x74\x83\x67";
constexpr std::string_view Table932 = "\x95\x5C";
constexpr std::string_view A932 = "\x83\x41";

TEST(CodePage, FindLastCharStepsOverWholeCharacters) {
    const struct {
        const char* what;
        CodePage cp;
        std::string_view text;
        char c;
        std::optional<std::size_t> expected;
    } cases[] = {
        {"trail byte 5C is no backslash", CodePage::Cp932, "\x95\x5C.jpg", '\\', std::nullopt},
        {"dot after 表", CodePage::Cp932, "\x95\x5C.jpg", '.', 2},
        {"ソフト\\a.png: the real backslash", CodePage::Cp932, "\x83\x5C\x83\x74\x83\x67\\a.png",
         '\\', 6},
        {"folder ending in 表", CodePage::Cp932, "C:\\\x95\x5C", '\\', 2},
        {"ア's trail byte is no 'A'", CodePage::Cp932, "\x83\x41", 'A', std::nullopt},
        {"last of several", CodePage::Cp932, "a.b.c", '.', 3},
        {"empty text", CodePage::Cp932, "", '.', std::nullopt},
        {"UTF-8 dot after 表", CodePage::Utf8, "表.jpg", '.', 3},
        {"UTF-8 ソフト/a.png", CodePage::Utf8, "ソフト/a.png", '/', 9},
        {"UTF-8 without the character", CodePage::Utf8, "表", '.', std::nullopt},
        // A lead byte cut off by the end of the text stands alone.
        {"lone lead byte at the end", CodePage::Cp932, "a.\x95", '.', 1},
        // A Latin-1 name on Linux is no UTF-8: é (E9) must not swallow the dot after it.
        {"Latin-1 caf\xE9.jpg", CodePage::Utf8, "caf\xE9.jpg", '.', 4},
        {"UTF-8 lead bytes before ASCII", CodePage::Utf8, "\xC3.\xE3\x81.x", '.', 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FindLastChar(c.text, c.c, c.cp), c.expected);
    }
}

TEST(CodePage, CharLengthNeverPassesTheEnd) {
    EXPECT_EQ(CharLength(Table932, 0, CodePage::Cp932), 2u);
    EXPECT_EQ(CharLength("\x95", 0, CodePage::Cp932), 1u);
    EXPECT_EQ(CharLength("\xB1", 0, CodePage::Cp932), 1u);  // half-width katakana: one byte
    EXPECT_EQ(CharLength("表", 0, CodePage::Utf8), 3u);
    EXPECT_EQ(CharLength("\xE8\xA1", 0, CodePage::Utf8), 1u);
    EXPECT_EQ(CharLength("\xF0\x9F\x98\x80", 0, CodePage::Utf8), 4u);
    EXPECT_EQ(CharLength("\xE9.j", 0, CodePage::Utf8), 1u);  // no continuation bytes
    EXPECT_EQ(CharLength("\xE8\xA1.", 0, CodePage::Utf8), 1u);
}

TEST(CodePage, ContainsNoCaseFoldsOnlySingleByteLetters) {
    const struct {
        const char* what;
        CodePage cp;
        std::string_view haystack;
        std::string_view needle;
        bool found;
    } cases[] = {
        {"ASCII case ignored", CodePage::Cp932, ",jpeg,jpg,gif,", ",JPG,", true},
        {"whole entry only", CodePage::Cp932, ",jpeg,jpg,", ",pe,", false},
        {"ア is not a", CodePage::Cp932, A932, "a", false},
        {"ア is not A", CodePage::Cp932, A932, "A", false},
        {"ア matches ア", CodePage::Cp932, ",\x83\x41,", ",\x83\x41,", true},
        {"needle at a trail byte", CodePage::Cp932, Table932, "\\", false},
        {"ソフト found whole", CodePage::Cp932, ",\x83\x5C\x83\x74\x83\x67,", Software932, true},
        {"UTF-8 ア is not a", CodePage::Utf8, "ア", "a", false},
        {"UTF-8 full-width Ａ does not fold", CodePage::Utf8, ",ａ,", ",Ａ,", false},
        {"UTF-8 Japanese entry", CodePage::Utf8, ",jpg,表,", ",表,", true},
        {"stray lead byte before the key", CodePage::Utf8, "\xE3,jpg,", ",JPG,", true},
        {"empty needle", CodePage::Utf8, "abc", "", true},
        {"longer needle", CodePage::Utf8, "ab", "abc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ContainsNoCase(c.haystack, c.needle, c.cp), c.found);
    }
}

}  // namespace
}  // namespace tessel
