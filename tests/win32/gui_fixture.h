// tests/win32/gui_fixture.h: a fresh shell per test, with its settings in a temporary
// folder, and helpers to read the real controls. Every test runs on this process's one
// user-interface thread, so the queue is emptied between tests: a WM_QUIT left behind by
// a closed main window would end the next test's dialog loop at once.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/control_ids.h"
#include "app/shell_win32.h"
#include "files/code_page.h"
#include "support/poll.h"
#include "support/test_support.h"
#include "wide_text.h"

namespace tessel::test {

// The program's UTF-16 texts in UTF-8, as the helpers below read the windows back.
inline std::string U8(const char16_t* text) {
    return Utf16ToUtf8(text);
}

// The window's whole text, read with the wide call: every character it holds.
inline std::string TextOf(HWND window) {
    std::wstring buffer(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return Utf8Of(buffer);
}

inline void SetTextOf(HWND window, std::string_view utf8) {
    ::SetWindowTextW(window, WideOf(utf8).c_str());
}

inline std::string StatusText(HWND main) {
    wchar_t buffer[1024] = {};
    ::SendMessageW(::GetDlgItem(main, 1025), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer));
    return Utf8Of(buffer);
}

// How wide `utf8` is drawn in the font selected into `dc`.
inline SIZE TextExtent(HDC dc, std::string_view utf8) {
    const std::wstring wide = WideOf(utf8);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    return extent;
}

inline LONG StyleOf(HWND window) {
    return ::GetWindowLongW(window, GWL_STYLE);
}

inline bool IsChecked(HWND main, int id) {
    return ::SendMessageW(::GetDlgItem(main, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
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
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = static_cast<int>(msg.wParam);
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return quit;
}

// Runs `action` once, from inside whichever message loop is running (a dialog blocks in its
// own loop, so a test acts from thread timers that fire there). Each timer is one-shot and
// killed first, or it would fire again inside a loop its own action starts.
inline std::vector<std::pair<UINT_PTR, std::function<void()>>> soonActions;

inline void CALLBACK RunSoonAction(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    for (auto it = soonActions.begin(); it != soonActions.end(); ++it) {
        if (it->first == timer) {
            const std::function<void()> action = std::move(it->second);
            soonActions.erase(it);
            action();
            return;
        }
    }
}

inline void Soon(std::function<void()> action) {
    const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, RunSoonAction);
    ASSERT_NE(timer, 0u);
    soonActions.emplace_back(timer, std::move(action));
}

// Forgets the actions whose timers have not fired.
inline void ClearSoon() {
    for (const auto& pending : soonActions) ::KillTimer(nullptr, pending.first);
    soonActions.clear();
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
        ::SendMessageW(main_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
    }
    // One look of the progress timer, made now.
    void Tick() { ::SendMessageW(main_, WM_TIMER, ProgressTimerId, 0); }
    // Ticks, as the timer would but faster, until the log holds `wanted` (at most 30 s).
    bool TickUntilLogHas(const std::string& wanted) {
        return PollUntil([&] {
            Tick();
            return TextOf(Item(EdtLog)).find(wanted) != std::string::npos;
        });
    }

    // `dialog` as the user meets it: shown over the main window, which it holds disabled,
    // with its title and outer size.
    void ExpectModalOverMain(HWND dialog, const char16_t* title, SIZE outer) const {
        EXPECT_EQ(TextOf(dialog), U8(title));
        EXPECT_EQ(OuterSize(dialog).cx, outer.cx);
        EXPECT_EQ(OuterSize(dialog).cy, outer.cy);
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), main_);
        EXPECT_TRUE(::IsWindowVisible(dialog));
        EXPECT_FALSE(::IsWindowEnabled(main_));
    }

    TempFolder settings_;
    std::optional<Shell> shell_;
    HWND main_ = nullptr;
};

// Each test starts with the main window open. The real pointer is kept off the screen's
// windows (its moves would reach the dialogs' procedures too), and the actions Soon left
// behind are forgotten at the end.
class MainWindowTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        OpenMain();
    }
    void TearDown() override {
        ClearSoon();
        GuiTest::TearDown();
    }
};

}  // namespace tessel::test
