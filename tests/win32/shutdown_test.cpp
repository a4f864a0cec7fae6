// Ending the program while a run is under way: every way out stops the worker and waits
// for it before the window goes, and leaves the record's lock free.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.h"
#include "app/main_window_win32.h"
#include "gui_fixture.h"
#include "job/run_monitor.h"
#include "job/worker.h"
#include "support/io_gate.h"
#include "support/tick_until.h"

namespace tessel::test {
namespace {

using Shutdown = GuiTest;

// A real run that does not end by itself: in the manual mode its worker waits for a bound
// that nobody answers (the window's timer, which would ask, is not running).
void StartWaitingRun(const std::string& source, const std::string& destination) {
    FormMonitor()->Start({OptionsWord(DuplicateMode::Numbered, ThresholdMode::Manual), source,
                          destination, ",bmp,"});
    ASSERT_TRUE(TickUntil(*FormMonitor(), [](const JobTick& t) {
                    return t.question.has_value();
                }).question);
}

TEST_F(Shutdown, EveryWayOutStopsTheWorkerFirst) {
    const struct {
        const char* name;
        std::function<void(HWND)> close;
        bool windowGoes;
    } ways[] = {
        {"title bar", [](HWND w) { ::SendMessageW(w, WM_CLOSE, 0, 0); }, true},
        {"Alt+F4", [](HWND w) { ::SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"menu", [](HWND w) { ::SendMessageW(w, WM_COMMAND, MenuExit, 0); }, true},
        {"abort button",
         [](HWND w) {
             ::SendMessageW(w, WM_COMMAND, MAKEWPARAM(BtnExit, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(w, BtnExit)));
         },
         false},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        OpenMain();
        RunMonitor& monitor = *FormMonitor();
        TempFolder source, destination;
        WriteText(source / "a.bmp", "not a picture");
        StartWaitingRun(source.Path(), destination.Path());

        way.close(main_);
        // No worker is left, and the record's lock is free: the tick takes it.
        EXPECT_TRUE(monitor.WaitForWorkers(std::chrono::milliseconds(0)));
        EXPECT_FALSE(monitor.Tick().running);
        EXPECT_EQ(::IsWindow(main_) == FALSE, way.windowGoes);
        if (!way.windowGoes) {
            EXPECT_FALSE(FormMonitor()->Tick().running);
        }
        EXPECT_TRUE(NamesIn(destination.Path()).empty());
        CloseMain();
    }
}

TEST_F(Shutdown, ClosingDuringACopyLeavesOnlyWholeFiles) {
    constexpr LONGLONG Size = 8LL << 20;
    TempFolder source, destination;
    const std::vector<std::string> names = {"a.bin", "b.bin", "c.bin"};
    for (const std::string& name : names) WriteSparse(source / name, Size);

    OpenMain();
    RunMonitor& monitor = *FormMonitor();
    // The close comes while b.bin is being copied, whatever was copied before it.
    IoGate copying(os::IoStep::CopyChunk, "b.bin", 1 << 20);
    FormMonitor()->Start({OptionsWord(DuplicateMode::Numbered, ThresholdMode::None), source.Path(),
                          destination.Path(), ",bin,"});
    ASSERT_TRUE(copying.WaitUntilHeld()) << "the copy of b.bin never got under way";
    copying.ReleaseOnStop(monitor.WorkerStop());
    ::SendMessageW(main_, WM_CLOSE, 0, 0);

    EXPECT_FALSE(::IsWindow(main_));
    EXPECT_FALSE(monitor.Tick().running);  // the record's lock is free
    ASSERT_TRUE(monitor.WaitForWorkers(std::chrono::seconds(30)));
    for (const std::string& name : NamesIn(destination.Path())) {
        SCOPED_TRACE(name);
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
        EXPECT_NE(name, "b.bin");
        EXPECT_EQ(FileSize(destination / name), Size);
    }
}

}  // namespace
}  // namespace tessel::test
