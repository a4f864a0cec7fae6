// The window's build must carry the job's texts in code page 932, byte for byte.
#include "job/texts.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tessel {
namespace {

TEST(JobTexts, AreCodePage932InTheWindowsBuild) {
    // 抽出ファイルを検索しています･･･ (the three dots are the half-width ･, one byte each)
    EXPECT_STREQ(text::StatusSearching,
                 "\x92\x8A\x8F\x6F\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8C\x9F\x8D\xF5\x82\xB5"
                 "\x82\xC4\x82\xA2\x82\xDC\x82\xB7\xA5\xA5\xA5");
    // 抽出元フォルダの指定が不正です。
    EXPECT_STREQ(text::SourceFolderInvalid,
                 "\x92\x8A\x8F\x6F\x8C\xB3\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xCC\x8E\x77\x92\xE8"
                 "\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42");
    // The step before the totals drops strlen(StatusCalculating) + 1 = 50 bytes.
    EXPECT_EQ(std::strlen(text::StatusCalculating), 49u);
}

}  // namespace
}  // namespace tessel
