#include "job/status_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tessel {
namespace {

TEST(ComposeText, FillsConversionsInOrder) {
    EXPECT_EQ(ComposeText("%u files%c%c%s", {std::uint32_t{12}, '\r', '\n', "done"}, 1023),
              "12 files\r\ndone");
    // 64 bits wide: a total past 4 GiB does not wrap.
    EXPECT_EQ(ComposeText("%uKByte", {std::uint64_t{5} << 30}, 1023), "5368709120KByte");
    // A bound is printed as the window printed it, a 32-bit unsigned number.
    EXPECT_EQ(ComposeText("[ %ux%u ]", {static_cast<std::uint32_t>(-1), std::uint32_t{0}}, 1023),
              "[ 4294967295x0 ]");
    EXPECT_EQ(ComposeText("100%% %s", {"sure"}, 1023), "100% sure");
}

TEST(ComposeText, MissingArgumentsGiveNothingAndExtraOnesAreIgnored) {
    EXPECT_EQ(ComposeText("a%ub%sc", {std::uint32_t{1}}, 1023), "a1bc");
    EXPECT_EQ(ComposeText("plain", {std::uint32_t{1}, 'x'}, 1023), "plain");
    EXPECT_EQ(ComposeText("ends in %", {}, 1023), "ends in %");
}

TEST(ComposeText, CutsToTheFirstLimitBytes) {
    const std::string path(2000, 'p');
    const std::string text = ComposeText("head%c%c%s", {'\r', '\n', path}, 1023);
    ASSERT_EQ(text.size(), 1023u);
    EXPECT_EQ(text.substr(0, 6), "head\r\n");
    EXPECT_EQ(ComposeText("%s", {std::string(1023, 'q')}, 1023).size(), 1023u);
    EXPECT_EQ(ComposeText("%s!", {std::string(1022, 'q')}, 1023).back(), '!');
}

TEST(StatusTrail, KeepsTheNewestBytes) {
    std::string trail = "searching";
    AppendKeepingTail(trail, "\r\n/a/", 1023);
    EXPECT_EQ(trail, "searching\r\n/a/");

    // Past the limit the oldest bytes go first and the newest line stays whole.
    const std::string folder = "\r\n/" + std::string(600, 'f') + "/";
    AppendKeepingTail(trail, folder, 1023);
    AppendKeepingTail(trail, folder, 1023);
    ASSERT_EQ(trail.size(), 1023u);
    EXPECT_EQ(trail.substr(trail.size() - folder.size()), folder);
}

TEST(StatusCuts, CountCodePage932BytesOfWholeCharacters) {
    // What the window's build measures: 表 and Д two bytes, ｱ one, a character that code page
    // lacks (é, 한, 😀) one, the "?" it was. A character that the limit cuts through is left
    // out; from the front, the oldest one that cannot be kept whole goes.
    const struct {
        const char* what;
        std::string text;
        std::size_t limit;
        std::string first, last;
    } cases[] = {
        {"two of three kanji", "表表表", 5, "表表", "表表"},
        {"ASCII before a kanji", "a表", 2, "a", "表"},
        {"emoji one each", "😀😀😀", 2, "😀😀", "😀😀"},
        {"half-width katakana one each", "ｱｲｳ", 2, "ｱｲ", "ｲｳ"},
        {"Latin, Korean and Cyrillic", "é한Д", 3, "é한", "한Д"},
        {"within the limit: whole", "café 사진 😀", 9, "café 사진 😀", "café 사진 😀"},
        {"zero", "表", 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CutToLimit(c.text, c.limit, CodePage::Cp932), c.first);
        std::string trail;
        AppendKeepingTail(trail, c.text, c.limit, CodePage::Cp932);
        EXPECT_EQ(trail, c.last);
        EXPECT_EQ(ComposeText("%s", {c.text}, c.limit, CodePage::Cp932), c.first);
    }
    // The command's measure stays UTF-8 bytes, cut inside a character.
    EXPECT_EQ(CutToLimit("表", 2, CodePage::Utf8), "\xE8\xA1");
}

TEST(StatusCuts, LongTextsOfWideCharactersAreComposedWhole) {
    // 1023 bytes of code page 932 may be 3069 bytes of UTF-8 (all kanji) or 4092 (all emoji):
    // the composition must not stop at 1023 UTF-8 bytes.
    std::string emoji;
    for (int i = 0; i < 1100; ++i) emoji += "😀";
    const std::string text = ComposeText("%s", {emoji}, 1023, CodePage::Cp932);
    EXPECT_EQ(ShownSize(text, CodePage::Cp932), 1023u);
    EXPECT_EQ(text.size(), 4u * 1023);
}

}  // namespace
}  // namespace tessel
