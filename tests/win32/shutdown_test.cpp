// Ending the program while a run is under way: every way out stops the worker and waits
// for it before the window goes, and leaves the record's lock free.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "app/control_ids.h"
#include "app/main_window_win32.h"
#include "gui_fixture.h"

namespace tessel::test {
namespace {

using Shutdown = GuiTest;

// A worker that works under the lock until it is told to stop.
void StartBusyWorker(ExtractionJob& job, std::atomic<bool>& ended) {
    job.running = 1;
    job.workerThread = std::jthread([&job, &ended](std::stop_token stop) {
        while (!stop.stop_requested()) {
            {
                std::scoped_lock hold(job.lock);
                job.progress = (job.progress + 1) % 100;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ended = true;
    });
}

TEST_F(Shutdown, EveryWayOutStopsTheWorkerFirst) {
    const struct {
        const char* name;
        std::function<void(HWND)> close;
        bool windowGoes;
    } ways[] = {
        {"title bar", [](HWND w) { ::SendMessageA(w, WM_CLOSE, 0, 0); }, true},
        {"Alt+F4", [](HWND w) { ::SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
        {"menu", [](HWND w) { ::SendMessageA(w, WM_COMMAND, MenuExit, 0); }, true},
        {"abort button",
         [](HWND w) {
             ::SendMessageA(w, WM_COMMAND, MAKEWPARAM(BtnExit, BN_CLICKED),
                            reinterpret_cast<LPARAM>(::GetDlgItem(w, BtnExit)));
         },
         false},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        OpenMain();
        ExtractionJob& job = *FormJob();
        std::atomic<bool> ended{false};
        StartBusyWorker(job, ended);

        way.close(main_);
        EXPECT_TRUE(ended);
        EXPECT_FALSE(job.workerThread.joinable());
        ASSERT_TRUE(job.lock.try_lock());
        job.lock.unlock();
        EXPECT_EQ(::IsWindow(main_) == FALSE, way.windowGoes);
        if (!way.windowGoes) {
            EXPECT_EQ(job.running, 0);
        }
        CloseMain();
    }
}

}  // namespace
}  // namespace tessel::test
