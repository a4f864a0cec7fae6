// The job's texts in the window's build: the status lines UTF-8, byte for byte, the messages
// UTF-16, and the cuts counting what the lines took in code page 932.
#include "job/texts.h"

#include <gtest/gtest.h>

#include <string_view>

#include "files/code_page.h"

namespace tessel {
namespace {

TEST(JobTexts, StatusLinesAreUtf8AndMessagesUtf16InTheWindowsBuild) {
    // 抽出ファイルを検索しています･･･ (the three dots are the half-width ･)
    EXPECT_EQ(std::string_view(text::StatusSearching),
              "\xE6\x8A\xBD\xE5\x87\xBA\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x82\x92"
              "\xE6\xA4\x9C\xE7\xB4\xA2\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x84\xE3\x81\xBE\xE3\x81\x99"
              "\xEF\xBD\xA5\xEF\xBD\xA5\xEF\xBD\xA5");
    // 抽出元フォルダの指定が不正です。
    EXPECT_EQ(std::u16string_view(text::SourceFolderInvalid),
              u"\x62BD\x51FA\x5143\x30D5\x30A9\x30EB\x30C0\x306E\x6307\x5B9A\x304C\x4E0D\x6B63"
              u"\x3067\x3059\x3002");
    // The step before the totals drops strlen(StatusCalculating) + 1 = 50 bytes of code page
    // 932, as the window counted them: 4 for the line breaks, 42 for 21 characters, 3 for ･･･.
    EXPECT_EQ(ShownSize(text::StatusCalculating, TextCodePage), 49u);
    EXPECT_EQ(TextCodePage, CodePage::Cp932);
}

}  // namespace
}  // namespace tessel
