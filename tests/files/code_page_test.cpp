// Both code pages on every host: the searches are pure byte logic.
#include "files/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
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

// The conversions at the window's edges. The same table runs natively (glibc's CP932) and
// under Wine (Windows' tables): the two must agree.
TEST(CodePageConversion, Cp932ToUtf8IsExact) {
    const struct {
        const char* what;
        std::string_view cp932;
        std::optional<std::string_view> utf8;
    } cases[] = {
        {"empty", "", ""},
        {"ASCII, backslash included", "C:\\a b\\x.jpg", "C:\\a b\\x.jpg"},
        {"表 with its trail byte 5C", "C:\\\x95\x5C\\a.jpg", "C:\\表\\a.jpg"},
        {"ソフト", Software932, "ソフト"},
        {"half-width katakana", "\xB1\xDF", "ｱﾟ"},
        {"the duplicates folder",
         "\x8F\x64\x95\xA1\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x82\xB1\x82\xBF\x82\xE7",
         "重複ファイルはこちら"},
        {"NEC special ①", "\x87\x40", "①"},
        {"IBM extension ⅰ", "\xFA\x40", "ⅰ"},
        {"81 60 is the full-width tilde", "\x81\x60", "～"},
        {"lead byte cut off by the end", "a\x95", std::nullopt},
        {"lead byte before a blank", "\x81\x20", std::nullopt},
        {"A0 is no character", "\xA0", std::nullopt},
        {"FD is no character", "\xFD", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    }
}

TEST(CodePageConversion, Utf8ToCp932ShowsWhatItLacksAsOneQuestionMarkEach) {
    const struct {
        const char* what;
        std::string_view utf8;
        std::string_view cp932;
    } cases[] = {
        {"ASCII", "plain.jpg", "plain.jpg"},
        {"日本", "日本.jpg", "\x93\xFA\x96\x7B.jpg"},
        {"表 and ソ end in 5C", "表ソ", "\x95\x5C\x83\x5C"},
        {"é: no best fit to e", "café.jpg", "caf?.jpg"},
        {"Korean", "한국.png", "??.png"},
        {"an emoji is one character", "emoji😀.gif", "emoji?.gif"},
        {"simplified 简 is missing, 体 is there", "简体", "?\x91\xCC"},
        {"U+301C WAVE DASH: only the full-width tilde is 81 60", "〜～", "?\x81\x60"},
        {"yen sign: 5C is the backslash", "¥", "?"},
        {"half-width katakana", "ｱﾟ", "\xB1\xDF"},
        {"a byte that is no UTF-8",
         "a\xFF"
         "b",
         "a?b"},
        {"a lone surrogate", "\xED\xA0\x80.jpg", "?.jpg"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
    }
}

TEST(CodePageConversion, Utf16RoundTripsEveryName) {
    // Names as the wide calls give them, unpaired surrogates included.
    const std::u16string names[] = {
        u"",
        u"plain.jpg",
        u"\u8868.jpg",
        u"caf\u00E9.jpg",
        u"\uD55C\uAD6D.png",
        u"emoji\U0001F600.gif",
        std::u16string(u"lone \xD800 high"),
        std::u16string(u"lone \xDC00 low"),
        std::u16string(u"\xDC00\xD800 reversed"),
        std::u16string(u"ends in \xD83D"),
    };
    for (const std::u16string& name : names) {
        SCOPED_TRACE(testing::PrintToString(Utf16ToUtf8(name)));
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(name)), name);
    }
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xED\xA0\x80");
}

TEST(CodePageConversion, BytesThatAreNoUtf8BecomeReplacementCharacters) {
    const struct {
        const char* what;
        std::string_view utf8;
        std::u16string utf16;
    } cases[] = {
        {"a stray byte",
         "a\xFF"
         "b",
         u"a\uFFFD"
         "b"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"cut off by the end", "\xE8\xA1", u"\uFFFD\uFFFD"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"Latin-1 é", "caf\xE9", u"caf\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(CodePageMeasure, AUtf8TextTakesWhatItsCodePage932FormTakes) {
    // The measure of the window's limits: the size of Utf8ToCp932, one character at a time.
    const struct {
        const char* what;
        std::string_view utf8;
        std::size_t cp932;
    } cases[] = {
        {"ASCII", "C:\\a.jpg", 8},
        {"kanji and kana: two each", "表ソフト", 8},
        {"half-width katakana: one each", "ｱｲｳ", 3},
        {"what it lacks: one each", "é한😀", 3},
        {"Cyrillic and Greek it has: two each", "ДΩ", 4},
        {"an unpaired surrogate: one", "\xED\xA0\x80", 1},
        {"bytes that are no UTF-8: one each", "caf\xE9\xFF", 5},
        {"the fixed texts' dots", "･･･", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ShownSize(c.utf8, CodePage::Cp932), c.cp932);
        EXPECT_EQ(ShownSize(c.utf8, CodePage::Cp932), Utf8ToCp932(c.utf8).size());
        EXPECT_EQ(ShownSize(c.utf8, CodePage::Utf8), c.utf8.size());
    }
}

TEST(CodePageMeasure, CutsKeepWholeCharactersInCodePage932AndBytesInUtf8) {
    const struct {
        const char* what;
        std::string_view utf8;
        std::size_t limit;
        std::string_view first, last;  // what ShownPrefix and ShownSuffix keep
    } cases[] = {
        {"kanji cut through: left out", "a表b", 2, "a", "b"},
        {"kanji kept whole", "a表b", 3, "a表", "表b"},
        {"emoji one each", "😀😀😀", 2, "😀😀", "😀😀"},
        {"no room at all", "表", 1, "", ""},
        {"everything fits", "café", 10, "café", "café"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.utf8.substr(0, ShownPrefix(c.utf8, c.limit, CodePage::Cp932)), c.first);
        const std::size_t kept = ShownSuffix(c.utf8, c.limit, CodePage::Cp932);
        EXPECT_EQ(c.utf8.substr(c.utf8.size() - kept), c.last);
    }
    // UTF-8 bytes are cut where the limit says, inside a character too.
    EXPECT_EQ(ShownPrefix("a表b", 2, CodePage::Utf8), 2u);
    EXPECT_EQ(ShownSuffix("a表b", 2, CodePage::Utf8), 2u);
}

}  // namespace
}  // namespace tessel
