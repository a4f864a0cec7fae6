// The run's texts in the Windows build, on the real seam under Wine: the engine's paths are
// UTF-8 and reach every file, and the log is UTF-8 too, every path in it whole, cut where
// code page 932 bytes say. And the window's typed folders (UTF-16) come in exactly.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/code_page.h"
#include "files/os/wide_path_win32.h"
#include "job/run_monitor.h"
#include "job/run_report.h"
#include "job/run_request.h"
#include "job/texts.h"
#include "run_settings.h"
#include "support/test_support.h"
#include "support/tick_until.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

TEST(WorkerWin32, TheFolderTrailAndTheBlockShowEveryNameWhole) {
    TempFolder temp;
    const std::string source = temp / "src/한국";
    test::WriteBytes(source + "\\café\\a.png", TinyPng(10, 10));
    test::WriteBytes(source + "\\日本\\b.png", TinyPng(20, 20));
    test::MakeFolders(temp / "dst");
    ExtractionJob job;
    RunMonitor monitor(job);
    monitor.Start(Settings(source, temp / "dst", ThresholdMode::Manual));

    // At the bound request the status is the folder trail (less its first 50 bytes) and the
    // calculating line.
    const JobTick asked =
        TickUntil(monitor, [](const JobTick& t) { return t.question || t.ended; });
    ASSERT_TRUE(asked.question);
    const std::string root = temp.Path();
    EXPECT_THAT(asked.statusText, HasSubstr("\r\n" + root + "\\src\\한국\\café\\\r\n"));
    EXPECT_THAT(asked.statusText, HasSubstr("\r\n" + root + "\\src\\한국\\日本\\"));
    monitor.AnswerBound(asked.question->serial, 0);

    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.previousRunBlock);
    EXPECT_THAT(*last.previousRunBlock,
                HasSubstr(Native("直前の処理") + "\r\n" + std::string(40, '-') + "\r\n" + root +
                          "\\src\\한국\r\n" + Native("抽出ファイルが2個見つかりました。")));
    EXPECT_TRUE(last.previousRunBlock->ends_with(Native("抽出を終了しました。")));
    EXPECT_THAT(NamesIn(temp / "dst"), UnorderedElementsAre("a.png", "b.png"));
}

TEST(WorkerWin32, TheCopyingLineShowsThePathWhole) {
    // Two large files of one name: whichever is copied first stands in the copying line
    // while the other is copied.
    TempFolder temp;
    test::WriteSparse(temp / "src/a/emoji😀.gif", 64LL << 20);
    test::WriteSparse(temp / "src/b/emoji😀.gif", (64LL << 20) + 1);
    test::MakeFolders(temp / "dst");
    ExtractionJob job;
    RunMonitor monitor(job);
    monitor.Start(Settings(temp / "src", temp / "dst", ThresholdMode::None));
    const std::string copying = Native("コピーしています･･･") + "\r\n" + temp.Path();
    const JobTick seen = TickUntil(monitor, [&](const JobTick& t) {
        return t.ended || t.statusText.find(copying) != std::string::npos;
    });
    EXPECT_THAT(seen.statusText, HasSubstr(copying));
    EXPECT_TRUE(seen.statusText.ends_with("\\emoji😀.gif")) << seen.statusText;
    monitor.Abort();
}

TEST(WorkerWin32, TheTrailIsCutInCodePage932Bytes) {
    // Folder names of 表 and 한국: 2 and 1 bytes a character in code page 932 (한 was "?"),
    // 3 in UTF-8. The trail keeps its newest 1023 bytes of code page 932, as the window did
    // while it showed the names with "?", and now the names whole.
    TempFolder temp;
    for (int i = 0; i < 12; ++i) {
        std::string name = "f" + std::to_string(i);
        for (int k = 0; k < 15; ++k) name += "表한";
        test::WriteText(temp / ("src/" + name + "/x.txt"), "");
    }
    ExtractionJob job;
    RunMonitor monitor(job);
    RunSettings settings = Settings(temp / "src", temp / "dst", ThresholdMode::Manual);
    settings.extensionList = MakeExtensionList("txt");
    std::vector<std::string> found;
    RunExtras extras;
    extras.dryRun = true;
    extras.foundFilesHook = [&found](const FoundFileList& list) { found = list.paths; };
    monitor.Start(settings, extras);
    const JobTick asked =
        TickUntil(monitor, [](const JobTick& t) { return t.question || t.ended; });
    ASSERT_TRUE(asked.question);
    monitor.Abort();
    ASSERT_EQ(found.size(), 12u);

    std::string trail = std::string(text::StatusSearching) + "\r\n" + Native(temp / "src") + "\\";
    for (const std::string& path : found) {
        trail += "\r\n" + Native(path.substr(0, path.size() - std::string("x.txt").size()));
    }
    ASSERT_GT(ShownSize(trail, CodePage::Cp932), 1100u);
    const std::size_t kept = ShownSuffix(trail, StatusTextLimit, CodePage::Cp932);
    EXPECT_EQ(asked.statusText, CalculatingStatus(trail.substr(trail.size() - kept)));
}

TEST(WorkerWin32, TheWindowsTypedFoldersComeInExactly) {
    // What the window reads from its fields is UTF-16; converted, it names the very folders,
    // names that code page 932 cannot write included, and the run reaches every file below.
    TempFolder temp;
    test::WriteBytes(temp / "表 사진 😀/café.jpg", TinyPng(30, 30));
    test::WriteBytes(temp / "表 사진 😀/한국.png", TinyPng(40, 40));
    const std::u16string typedSource = Utf8ToUtf16(temp / "表 사진 😀");
    const std::u16string typedDestination = Utf8ToUtf16(temp / "新 café");
    ASSERT_TRUE(typedSource.ends_with(u"表 사진 😀"));

    EXPECT_TRUE(IsValidSourceFolder(Utf16ToUtf8(typedSource)));
    const std::string destination = Utf16ToUtf8(typedDestination);
    ASSERT_EQ(CheckDestinationFolder(destination), DestinationCheck::Missing);
    ASSERT_TRUE(CreateDestinationFolder(destination));
    // On disk it is "新 café", as the wide calls see it.
    EXPECT_NE(::GetFileAttributesW(reinterpret_cast<const wchar_t*>(typedDestination.c_str())),
              INVALID_FILE_ATTRIBUTES);

    ExtractionJob job;
    RunMonitor monitor(job);
    monitor.Start({OptionsWord(DuplicateMode::Numbered, ThresholdMode::None),
                   Utf16ToUtf8(typedSource), destination, MakeExtensionList("jpg,png")});
    const JobTick last = TickToTheEnd(monitor);
    ASSERT_TRUE(last.previousRunBlock);
    // The block shows the source folder as it was typed, whole.
    EXPECT_THAT(*last.previousRunBlock, HasSubstr("\r\n" + Utf16ToUtf8(typedSource) + "\r\n"));
    EXPECT_THAT(last.statusText, HasSubstr(Native("実際に保存されたファイル数：2個")));
    EXPECT_THAT(NamesIn(destination), UnorderedElementsAre("café.jpg", "한국.png"));
}

}  // namespace
}  // namespace tessel
