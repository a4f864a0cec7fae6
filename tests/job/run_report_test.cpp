#include "job/run_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "files/code_page.h"
#include "job/stages.h"
#include "job/status_text.h"
#include "job/texts.h"
#include "support/test_support.h"

namespace tessel {
namespace {

std::string P(std::string_view folder, std::string_view name) {
    return std::string(folder) + Sep() + std::string(name);
}

TEST(Tally, CountsRepeatsOfEarlierNamesExactly) {
    const struct {
        const char* what;
        std::vector<std::string> paths;
        std::size_t duplicates;
    } cases[] = {
        {"no files", {}, 0},
        {"three of one name, one other",
         {P("a", "x.jpg"), P("b", "x.jpg"), P("c", "x.jpg"), P("d", "y.jpg")},
         2},
        {"case decides", {P("a", "X.JPG"), P("b", "x.jpg")}, 0},
        {"the folder does not count", {P("x.jpg", "a.jpg"), P("a", "x.jpg")}, 0},
        {"two pairs", {P("a", "p.png"), P("a", "q.png"), P("b", "q.png"), P("b", "p.png")}, 2},
        // In code page 932 the trail bytes of 表 and ソ are 0x5C: a byte-wise search for the
        // separator would cut both names to ".jpg" and call them equal.
        {"double-byte names", {P("a", "表.jpg"), P("b", "ソ.jpg")}, 0},
        {"double-byte repeat", {P("表", "表.jpg"), P("ソ", "表.jpg")}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FoundFileList found;
        for (const std::string& path : c.paths) {
            found.paths.push_back(path);
            found.squareSides.push_back(static_cast<std::int32_t>(path.size()));
            found.sizes.push_back(path.size());
            found.totalBytes += path.size();
        }
        RunProgress progress(4);
        std::vector<std::int32_t> shown;
        const std::optional<Tally> tally = TallyFound(found, progress,
                                                      [&](std::int32_t percent) {
                                                          shown.push_back(percent);
                                                          return true;
                                                      },
                                                      {});
        ASSERT_TRUE(tally);
        EXPECT_EQ(tally->duplicates, c.duplicates);
        EXPECT_EQ(tally->count, c.paths.size());
        EXPECT_EQ(tally->totalBytes, found.totalBytes);
        // Each percentage is told once, rising, and the tally ends half way to 100.
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_EQ(std::adjacent_find(shown.begin(), shown.end()), shown.end());
        if (!c.paths.empty()) {
            EXPECT_GE(progress.Percent(), 51);
        }
    }
}

TEST(DuplicateNames, ManyNamesWithoutAHint) {
    // The table starts small and grows many times over; nothing may get lost on the way.
    DuplicateNameCounter counter;
    std::size_t repeats = 0;
    for (int i = 0; i < 50000; ++i) {
        const std::string path = P("f" + std::to_string(i % 7), "n" + std::to_string(i % 20000));
        if (counter.Add(path)) ++repeats;
    }
    EXPECT_EQ(repeats, 30000u);
}

TEST(DuplicateNames, IncrementalCounterAgreesFileByFile) {
    DuplicateNameCounter counter;
    const std::vector<std::string> paths = {P("a", "x.jpg"), P("b", "x.jpg"), P("c", "y.jpg"),
                                            P("d", "x.jpg")};
    std::vector<bool> repeats;
    for (const auto& path : paths) repeats.push_back(counter.Add(path));
    EXPECT_EQ(repeats, (std::vector<bool>{false, true, false, true}));
}

TEST(RunProgressTest, EndsWhereTheWindowEnded) {
    const struct {
        std::size_t files;
        std::int32_t afterDuplicates;
        std::int32_t atEnd;
    } cases[] = {
        {0, 4, 4},  // no step is ever added
        {1, 52, 100},
        {5, 52, 99},   // 9.6 ten times falls just short of 100 in double precision
        {3, 52, 100},  // 16 is exact
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files);
        RunProgress progress(4);
        progress.SetFileCount(c.files);
        for (std::size_t i = 0; i < c.files; ++i) progress.Advance();
        // The duplicate phase may also end one short, as the sum of steps falls.
        EXPECT_GE(progress.Percent(), c.afterDuplicates - (c.files > 1 ? 1 : 0));
        EXPECT_LE(progress.Percent(), c.afterDuplicates);
        for (std::size_t i = 0; i < c.files; ++i) progress.Advance();
        EXPECT_EQ(progress.Percent(), c.atEnd);
    }
    // Each of five files steps 9.6 from 4.
    RunProgress five(4);
    five.SetFileCount(5);
    five.Advance();
    EXPECT_EQ(five.Percent(), 13);
    five.Advance();
    EXPECT_EQ(five.Percent(), 23);
}

TEST(RunFigures, KiloBytesAreExactWholeKiB) {
    EXPECT_EQ(KiloBytes(0), 0u);
    EXPECT_EQ(KiloBytes(1023), 0u);
    EXPECT_EQ(KiloBytes(1024), 1u);
    // Where single precision would have added one.
    EXPECT_EQ(KiloBytes((16u << 20) + 1023), 16384u);
    // Past 4 GiB nothing wraps.
    EXPECT_EQ(KiloBytes((std::uint64_t{5} << 30) + 5), 5u << 20);
}

TEST(CalculatingStatusTest, DropsTheMessageLengthPlusOneBytes) {
    // Bytes as the window counts them (TextCodePage): code page 932 in the Windows build.
    const std::size_t dropped = ShownSize(text::StatusCalculating, TextCodePage) + 1;

    // A source without sub-folders: the searching line and one folder line are shorter than
    // what is dropped, so only the two line breaks and the calculating line remain.
    const std::string oneFolder =
        std::string(text::StatusSearching) + "\r\n" + P("C:", "a") + Sep();
    ASSERT_LE(ShownSize(oneFolder, TextCodePage), dropped);
    EXPECT_EQ(CalculatingStatus(oneFolder), text::StatusCalculating);

    // Longer texts keep what follows the dropped head, of their first 1022 bytes only.
    std::string full(1023, '.');
    for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<char>('a' + i % 26);
    const std::string expected = full.substr(dropped, 1022 - dropped) + text::StatusCalculating;
    EXPECT_EQ(CalculatingStatus(full), expected);
    EXPECT_EQ(CalculatingStatus(std::string(dropped + 1, 'k')),
              std::string("k") + text::StatusCalculating);
}

TEST(Summary, EachThresholdModeHasItsLastLine) {
    const std::string head = Native(
        "抽出ファイルが12個見つかりました。\r\n合計ファイルサイズ：345KByte\r\n重複ファイル：2個\r"
        "\n");
    const std::uint64_t bytes = 345 * 1024 + 1023;
    const struct {
        ThresholdMode mode;
        std::int32_t bound;
        const char* lastLine;
    } cases[] = {
        {ThresholdMode::None, 0, "ファイル縦横サイズ閾値設定：なし"},
        {ThresholdMode::Auto, 0, "ファイル縦横サイズ閾値設定：なし（自動設定に失敗しました）"},
        {ThresholdMode::Auto, 524, "抽出するファイル縦横サイズの下限：自動設定[ 524x524 Pixel ]"},
        {ThresholdMode::Manual, 250, "抽出するファイル縦横サイズの下限：手動設定[ 250x250 Pixel ]"},
        {ThresholdMode::Manual, 0, "抽出するファイル縦横サイズの下限：手動設定[ 0x0 Pixel ]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastLine);
        EXPECT_EQ(FormatSummary({12, bytes, 2, c.mode, c.bound}), head + Native(c.lastLine));
    }
}

TEST(Summary, CopyingAndFinalTextsFollowTheSummary) {
    const std::string summary = FormatSummary({12, 345 * 1024, 2, ThresholdMode::None, 0});
    EXPECT_EQ(FormatCopyStatus(summary, ""), summary + Native("\r\n\r\nコピーしています･･･\r\n"));
    const std::string path = P("C:", "a.jpg");
    EXPECT_EQ(FormatCopyStatus(summary, path),
              summary + Native("\r\n\r\nコピーしています･･･\r\n") + path);
    // The worked example of a finished run.
    EXPECT_EQ(FormatFinalText(summary, 10),
              Native("抽出ファイルが12個見つかりました。\r\n合計ファイルサイズ：345KByte\r\n"
                     "重複ファイル：2個\r\nファイル縦横サイズ閾値設定：なし\r\n"
                     "実際に保存されたファイル数：10個（※同名かつ同サイズのファイルは上書きしま"
                     "せん）\r\n\r\n抽出を終了しました。"));
}

TEST(Summary, LongPathsAreCutAt1023Bytes) {
    const std::string summary = FormatSummary({1, 1, 0, ThresholdMode::None, 0});
    const std::string deep = std::string("C:") + Sep() + std::string(1500, 'd') + Sep() + "a.jpg";
    const std::string copying = FormatCopyStatus(summary, deep);
    ASSERT_EQ(ShownSize(copying, TextCodePage), 1023u);
    EXPECT_EQ(copying.substr(0, summary.size()), summary);
    const std::string longSummary = std::string(1020, 's');
    // The cut falls inside 実: UTF-8 keeps its first byte, as the command always cut; code
    // page 932 leaves the character out, where the window kept its lead byte alone.
    const std::string cutThrough =
        TextCodePage == CodePage::Utf8 ? Native("実").substr(0, 1) : std::string();
    EXPECT_EQ(FormatFinalText(longSummary, 3), longSummary + "\r\n" + cutThrough);
}

// A code page 932 text of 表 (95 5C) after an 'x' or two, so that its first `kept` bytes end
// on the lead byte of a 表: a cut there falls inside the character.
std::string CutInsideTable(std::size_t kept) {
    std::string text((kept % 2 == 0) ? 1 : 0, 'x');
    for (std::size_t i = 0; i < kept / 2 + 8; ++i) text += Utf8ToCp932("表");
    return text;
}

void CutsFallWhereTheBytesSay() {
    // A cut of UTF-8 bytes counts bytes, even inside a character; the bytes here are those of
    // code page 932, which the rule does not look into. Each case cuts a path of 表 through
    // its lead byte.
    const std::string summary = FormatSummary({1, 1, 0, ThresholdMode::None, 0});
    const std::string copying = FormatCopyStatus(summary, "");
    const std::size_t folderAt = FormatPreviousRun("", "").size() - 2;  // before its CR LF
    const std::string path = CutInsideTable(1023 - copying.size());
    const std::string folder = CutInsideTable(1023 - folderAt);
    const struct {
        const char* what;
        std::string result;
        std::string expected;
    } cases[] = {
        {"the copying line's path", FormatCopyStatus(summary, path),
         copying + path.substr(0, 1023 - copying.size())},
        {"the previous-run block's source folder", FormatPreviousRun(folder, "last"),
         FormatPreviousRun("", "").substr(0, folderAt) + folder.substr(0, 1023 - folderAt)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result, c.expected);
        EXPECT_EQ(c.result.size(), 1023u);
        EXPECT_EQ(c.result.back(), '\x95');  // the lead byte alone at the end
    }
    // The step before the calculating line drops strlen + 1 bytes through a character too,
    // and the folder trail keeps its newest bytes from inside the oldest character kept.
    const std::size_t dropped = std::strlen(text::StatusCalculating) + 1;
    const std::string table = Utf8ToCp932("表");
    EXPECT_EQ(CalculatingStatus(std::string(dropped - 1, 'a') + table + "b"),
              std::string("\x5C") + "b" + text::StatusCalculating);
    std::string trail = table + table;
    AppendKeepingTail(trail, "c", 4);
    EXPECT_EQ(trail,
              "\x5C\x95\x5C"
              "c");
}

// The same cuts over the UTF-8 text that the Windows build composes: each falls where the
// code page 932 bytes say, and the 表 it would split is left out whole, so that the text
// ends one byte short of the limit and stays UTF-8.
std::string TablesBeforeTheCut(std::size_t kept) {
    std::string text((kept % 2 == 0) ? 1 : 0, 'x');
    while (ShownSize(text, CodePage::Cp932) + 2 < kept) text += "表";
    return text;
}

void CutsFallBeforeTheCharacterTheyWouldSplit() {
    const std::string summary = FormatSummary({1, 1, 0, ThresholdMode::None, 0});
    const std::size_t copyingAt = ShownSize(FormatCopyStatus(summary, ""), CodePage::Cp932);
    const std::string block = FormatPreviousRun("", "");
    const std::size_t folderAt = ShownSize(block, CodePage::Cp932) - 2;  // before its CR LF
    const std::string tail = std::string(40, 'x') + "表表表表表表表表";
    const struct {
        const char* what;
        std::string result;
        std::string expected;
    } cases[] = {
        {"the copying line's path",
         FormatCopyStatus(summary, TablesBeforeTheCut(1023 - copyingAt) + "表表" + tail),
         FormatCopyStatus(summary, "") + TablesBeforeTheCut(1023 - copyingAt)},
        {"the previous-run block's source folder",
         FormatPreviousRun(TablesBeforeTheCut(1023 - folderAt) + "表表" + tail, "last"),
         block.substr(0, block.size() - 2) + TablesBeforeTheCut(1023 - folderAt)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.result, c.expected);
        EXPECT_EQ(ShownSize(c.result, CodePage::Cp932), 1022u);
        EXPECT_TRUE(c.result.ends_with("表"));
    }
    // The step before the calculating line drops the 表 that its 50 bytes end inside, and
    // the folder trail keeps no part of the oldest character it cannot keep whole.
    const std::size_t dropped = ShownSize(text::StatusCalculating, CodePage::Cp932) + 1;
    EXPECT_EQ(CalculatingStatus(std::string(dropped - 1, 'a') + "表b"),
              std::string("b") + text::StatusCalculating);
    std::string trail = "表表";
    AppendKeepingTail(trail, "c", 4);
    EXPECT_EQ(trail, "表c");
}

TEST(Summary, CutsInCodePage932FallWhereTheBytesSay) {
    // The window's texts were code page 932 and every cut counted its bytes, even inside a
    // double-byte character. Now the texts are UTF-8 everywhere; the command's cut UTF-8
    // bytes as before, the Windows build's count what the text takes in code page 932.
    if constexpr (TextCodePage == CodePage::Utf8) {
        CutsFallWhereTheBytesSay();
    } else {
        CutsFallBeforeTheCharacterTheyWouldSplit();
    }
}

}  // namespace
}  // namespace tessel
