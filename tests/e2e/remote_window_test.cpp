// The driver against a window whose thread has not looked at its queue for seconds, as a
// program starting on a cold machine does while it waits for the desktop: the system then
// calls the thread hung and refuses at once every send that asks it to give up on hung
// threads. The driver's texts must reach it all the same once it listens again.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <string>
#include <thread>

#include "remote_window.h"

namespace tessel::test {
namespace {

TEST(RemoteWindow, ATextReachesAWindowThatLooksHung) {
    std::latch shown(1);
    HWND edit = nullptr;
    std::atomic<bool> pending = false;
    std::jthread owner([&] {
        edit = ::CreateWindowExW(0, L"EDIT", L"before", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                 60, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        shown.count_down();
        // Looks at nothing but whether a message was sent to it: the driver's send arrives
        // while the thread looks hung, and is answered only after that.
        pending = drive::WaitUntil(
            [] { return (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; }, 60000);
        MSG msg;
        while (::IsWindow(edit) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    });
    shown.wait();
    ASSERT_NE(edit, nullptr);
    // The system decides when a thread looks hung (5 s without a look at its queue).
    ASSERT_TRUE(drive::WaitUntil([&] { return ::IsHungAppWindow(edit) != FALSE; }, 30000));
    DWORD_PTR ignored = 0;
    EXPECT_EQ(::SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"refused"),
                                    SMTO_ABORTIFHUNG, 20000, &ignored),
              0)
        << "a send that gives up on hung threads is refused at once";

    bool set = false;
    std::string holds;
    // A text that no ANSI code page holds whole: the wide messages carry it as it is.
    std::jthread driver([&] { set = drive::SetText(edit, "taken café 사진 😀", &holds); });
    driver.join();
    EXPECT_TRUE(pending) << "the text was sent while the window looked hung";
    EXPECT_TRUE(set) << "the control holds \"" << holds << "\"";
    EXPECT_EQ(drive::TextOf(edit), "taken café 사진 😀");
    ::PostMessageW(edit, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace tessel::test
