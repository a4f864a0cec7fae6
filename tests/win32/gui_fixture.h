// tests/win32/gui_fixture.h: a fresh shell per test, with its settings in a temporary
// folder, and helpers to read the real controls. Every test runs on this process's one
// user-interface thread, so the queue is emptied between tests: a WM_QUIT left behind by
// a closed main window would end the next test's dialog loop at once.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/shell_win32.h"
#include "support/test_support.h"

namespace tessel::test {

inline std::string TextOf(HWND window) {
    char buffer[1024] = {};
    const int length = ::GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

inline std::string StatusText(HWND main) {
    char buffer[1024] = {};
    ::SendMessageA(::GetDlgItem(main, 1025), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

inline LONG StyleOf(HWND window) {
    return ::GetWindowLongA(window, GWL_STYLE);
}

inline bool IsChecked(HWND main, int id) {
    return ::SendMessageA(::GetDlgItem(main, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline SIZE OuterSize(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// Dispatches whatever is queued; returns the exit code of a WM_QUIT found on the way.
inline std::optional<int> DrainQueue() {
    std::optional<int> quit;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = static_cast<int>(msg.wParam);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return quit;
}

class GuiTest : public testing::Test {
protected:
    void SetUp() override { StartShell(); }
    void TearDown() override {
        CloseMain();
        shell_.reset();
        DrainQueue();
    }

    void StartShell() { shell_.emplace(::GetModuleHandleA(nullptr), SettingsBasePath()); }
    std::string SettingsBasePath() const { return settings_.Path() + "\\Tessel"; }
    std::string SettingsFile() const { return settings_.Path() + "\\Tessel.ini"; }

    HWND OpenMain() {
        main_ = CreateMainWindow();
        EXPECT_NE(main_, nullptr);
        return main_;
    }
    // Destroys the main window the way a close does and takes its WM_QUIT off the queue.
    void CloseMain() {
        if (main_ != nullptr && ::IsWindow(main_)) ::DestroyWindow(main_);
        main_ = nullptr;
        DrainQueue();
    }
    HWND Item(int id) const { return ::GetDlgItem(main_, id); }
    void Command(int id, int code) {
        ::SendMessageA(main_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
    }

    TempFolder settings_;
    std::optional<Shell> shell_;
    HWND main_ = nullptr;
};

}  // namespace tessel::test
