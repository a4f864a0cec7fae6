// The window's texts reach the Windows binary as code page 932 bytes.
#include <gtest/gtest.h>

#include "app/texts.h"

namespace tessel {
namespace {

TEST(Texts, AreCodePage932) {
    EXPECT_STREQ(text::Run, "\x8E\xC0\x8D\x73");                                   // 実行
    EXPECT_STREQ(text::ProgramTitle, "\x82\xC4\x82\xC1\x82\xB9\x82\xE9\x81\x49");  // てっせる！
    EXPECT_STREQ(text::FontFace, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    EXPECT_STREQ(text::MenuFile, "\x83\x74\x83\x40\x83\x43\x83\x8B(&F)");  // ファイル
    EXPECT_STREQ(text::KindCustom, "\x8A\x67\x92\xA3\x8E\x71\x82\xC5\x8E\x77\x92\xE8");
}

}  // namespace
}  // namespace tessel
