// The window's texts reach the Windows binary as UTF-16, unit for unit: what the wide calls
// get, whatever the ANSI code page of the machine.
#include <gtest/gtest.h>

#include <string_view>

#include "app/texts.h"

namespace tessel {
namespace {

TEST(Texts, AreUtf16) {
    const struct {
        const char* what;
        std::u16string_view text;
        std::u16string_view units;
    } cases[] = {
        {"実行", text::Run, u"\x5B9F\x884C"},
        {"てっせる！", text::ProgramTitle, u"\x3066\x3063\x305B\x308B\xFF01"},
        {"ＭＳ Ｐゴシック", text::FontFace, u"\xFF2D\xFF33\x0020\xFF30\x30B4\x30B7\x30C3\x30AF"},
        {"ファイル(&F)", text::MenuFile, u"\x30D5\x30A1\x30A4\x30EB(&F)"},
        {"拡張子で指定", text::KindCustom, u"\x62E1\x5F35\x5B50\x3067\x6307\x5B9A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.text, c.units);
    }
}

}  // namespace
}  // namespace tessel
