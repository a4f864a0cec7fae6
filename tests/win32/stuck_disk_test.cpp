// The window over a disk that stops answering: the worker is held inside a call to the file
// system (as a network share that went away holds it), and the Abort button and the close
// box still answer at once; the stopped copy leaves nothing when the call comes back, and a
// new run meanwhile is the window's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/main_window_win32.h"
#include "app/texts.h"
#include "gui_fixture.h"
#include "job/worker.h"
#include "support/io_gate.h"

namespace tessel::test {
namespace {

using namespace std::chrono_literals;

class StuckDisk : public MainWindowTest {
protected:
    void StartRun(const std::string& source, const std::string& destination) {
        SetTextOf(Item(EdtSource), source);
        SetTextOf(Item(EdtDestination), destination);
        Command(BtnRun, BN_CLICKED);
    }
};

TEST_F(StuckDisk, AbortAnswersAtOnceAndANewRunIsTheWindowsOwn) {
    TempFolder source, first, second;
    WriteSized(source / "held.bmp", 3u << 20, 'h');
    WriteSized(source / "sub/other.bmp", 2000, 'o');
    IoGate stuck(os::IoStep::CopyChunk, "held.bmp", 1u << 20);
    StartRun(source.Path(), first.Path());
    ASSERT_TRUE(stuck.WaitUntilHeld());

    Command(BtnExit, BN_CLICKED);
    EXPECT_TRUE(stuck.Held()) << "the abort waited for the call";
    EXPECT_EQ(TextOf(Item(BtnExit)), U8(text::Exit));
    EXPECT_TRUE(::IsWindowEnabled(Item(BtnRun)));
    const std::string block = TextOf(Item(EdtLog));
    EXPECT_EQ(block.rfind(Native("直前の処理"), 0), 0u) << block;

    // Run again at once, into another folder: only the first call was held.
    StartRun(source.Path(), second.Path());
    ASSERT_TRUE(TickUntilLogHas(Native("抽出を終了しました。")));
    const std::string finished = TextOf(Item(EdtLog));
    EXPECT_EQ(Occurrences(finished, Native("直前の処理")), 1u);
    EXPECT_NE(finished.find(Native("実際に保存されたファイル数：2個")), std::string::npos);
    EXPECT_TRUE(stuck.Held());

    stuck.Release();
    ASSERT_TRUE(FormMonitor()->WaitForWorkers(30s));
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_EQ(TextOf(Item(EdtLog)), finished);
    EXPECT_EQ(FilesUnder(second.Path()), (std::vector<std::string>{"held.bmp", "other.bmp"}));
    for (const std::string& name : FilesUnder(first.Path())) EXPECT_EQ(name, "other.bmp");
}

TEST_F(StuckDisk, TheWindowGoesAtOnceAndTheHeldCopyLeavesNothing) {
    const struct {
        const char* way;
        UINT message;
        WPARAM command;
    } ways[] = {
        {"close box", WM_CLOSE, 0},
        {"menu exit", WM_COMMAND, MenuExit},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        if (!::IsWindow(main_)) OpenMain();
        TempFolder source, destination;
        WriteSized(source / "held.bmp", 3u << 20, 'h');
        IoGate stuck(os::IoStep::CopyChunk, "held.bmp", 1u << 20);
        StartRun(source.Path(), destination.Path());
        ASSERT_TRUE(stuck.WaitUntilHeld());
        ::SendMessageW(main_, way.message, way.command, 0);
        EXPECT_FALSE(::IsWindow(main_));
        EXPECT_TRUE(stuck.Held()) << "the close waited for the call";
        stuck.Release();
        ASSERT_TRUE(FormMonitor()->WaitForWorkers(30s));
        EXPECT_TRUE(FilesUnder(destination.Path()).empty());
        CloseMain();
    }
}

}  // namespace
}  // namespace tessel::test
