// tools/drive/drive_win32.cpp: drives a running Tessel.exe from outside, for screenshots
// and scripts. Another process cannot read a window's menu under Wine, but it can post the
// menu's commands to the main window (class NORMAL0).
//
//   tessel-drive wait [seconds]        until the main window is shown (default 60 s)
//   tessel-drive wait-dialog [seconds] until a dialog (class NORMALDLG) is shown
//   tessel-drive command <id>          posts WM_COMMAND <id>, e.g. 1036 for the About dialog
//   tessel-drive close                 posts WM_CLOSE to the main window
//
// Exit code 0 on success, 1 when no window was found in time, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/form_table.h"

namespace {

HWND FindShown(const char* className) {
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, className, nullptr)) != nullptr) {
        if (::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

HWND WaitFor(const char* className, int seconds) {
    for (int tick = 0; tick < seconds * 10; ++tick) {
        if (HWND window = FindShown(className)) return window;
        ::Sleep(100);
    }
    return nullptr;
}

int Usage() {
    std::fputs("usage: tessel-drive wait [s] | wait-dialog [s] | command <id> | close\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const char* verb = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    if (std::strcmp(verb, "wait") == 0) return WaitFor(tessel::MainClassName, seconds) ? 0 : 1;
    if (std::strcmp(verb, "wait-dialog") == 0)
        return WaitFor(tessel::DialogClassName, seconds) ? 0 : 1;

    HWND main = WaitFor(tessel::MainClassName, 10);
    if (main == nullptr) {
        std::fputs("tessel-drive: no Tessel window\n", stderr);
        return 1;
    }
    if (std::strcmp(verb, "command") == 0 && argc == 3) {
        ::PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[2])), 0);
        return 0;
    }
    if (std::strcmp(verb, "close") == 0) {
        ::PostMessageA(main, WM_CLOSE, 0, 0);
        return 0;
    }
    return Usage();
}
