// tools/drive/drive_win32.cpp: drives a running Tessel.exe from outside, for screenshots
// and scripts. Another process cannot read a window's menu under Wine, but it can post the
// menu's commands to the main window and reach every control by its identifier.
//
//   tessel-drive wait [seconds]             until the main window is shown (default 60 s)
//   tessel-drive wait-dialog [seconds]      until a dialog (class NORMALDLG) is shown
//   tessel-drive command <id>               posts WM_COMMAND <id>, e.g. 1036 for About
//   tessel-drive close                      posts WM_CLOSE to the main window
//   tessel-drive set <id> <text>            sets a control's text
//   tessel-drive check <id>                 checks an option radio (1013-1015, 1018-1020)
//   tessel-drive kind <index>               chooses a kind (0 images, 1 archives, 2 own list)
//   tessel-drive press <id>                 clicks a button, e.g. 1007 Run, 1008 Exit/Abort
//   tessel-drive get <id>                   prints a control's text
//   tessel-drive wait-text <id> <text> [s]  until the control's text holds <text>
//   tessel-drive dialog-set <id> <text>     sets a control's text in the open dialog
//   tessel-drive dialog-press <id>          clicks a button of the open dialog
//   tessel-drive wait-progress <percent> [s] until the progress bar stands at <percent> or more
//   tessel-drive message [seconds]          prints the text of a message box once one shows
//   tessel-drive answer ok|yes|no           ends the message box with that button
//
// Texts are UTF-8 both ways: the arguments come from the wide command line, whatever the
// ANSI code page, and what is printed is written as UTF-8 bytes.
// Exit code 0 on success, 1 when nothing was found in time, 2 on bad usage.
#include <windows.h>

#include <commctrl.h>
// CommandLineToArgvW
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/form_table.h"
#include "files/code_page.h"
#include "files/os/unique_handle_win32.h"
#include "remote_window.h"

namespace {

using namespace tessel::drive;

// CommandLineToArgvW's array is one block that LocalFree releases.
struct ArgvTraits {
    using Raw = LPWSTR*;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::LocalFree(h) == nullptr; }
};

// The arguments in UTF-8, the program's name first.
std::vector<std::string> Arguments() {
    int count = 0;
    const tessel::os::UniqueHandle<ArgvTraits> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i) {
        const std::wstring_view argument = wide.Get()[i];
        arguments.push_back(tessel::Utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
    }
    return arguments;
}

int Usage() {
    std::fputs(
        "usage: tessel-drive wait [s] | wait-dialog [s] | command <id> | close | set <id> <text>\n"
        "       | check <id> | kind <index> | press <id> | get <id> | wait-text <id> <text> [s]\n"
        "       | dialog-set <id> <text> | dialog-press <id> | wait-progress <percent> [s]\n"
        "       | message [s] | answer ok|yes|no\n",
        stderr);
    return 2;
}

bool Is(const char* verb, const char* name) {
    return std::strcmp(verb, name) == 0;
}

}  // namespace

int main() {
    const std::vector<std::string> arguments = Arguments();
    std::vector<const char*> pointers;
    for (const std::string& a : arguments) pointers.push_back(a.c_str());
    const int argc = static_cast<int>(pointers.size());
    const char* const* argv = pointers.data();
    if (argc < 2) return Usage();
    const char* verb = argv[1];
    auto seconds = [&](int at, int fallback) { return argc > at ? std::atoi(argv[at]) : fallback; };
    if (Is(verb, "wait")) return WaitForShown(tessel::MainClassName, seconds(2, 60) * 1000) ? 0 : 1;
    if (Is(verb, "wait-dialog")) {
        return WaitForShown(tessel::DialogClassName, seconds(2, 60) * 1000) ? 0 : 1;
    }
    if (Is(verb, "message")) {
        HWND box = WaitForMessageBox(0, seconds(2, 10) * 1000);
        if (box == nullptr) return 1;
        std::printf("%s\n", MessageOf(box).c_str());
        return 0;
    }
    if (Is(verb, "answer") && argc == 3) {
        HWND box = WaitForMessageBox(0, 10000);
        if (box == nullptr) return 1;
        const int button = Is(argv[2], "yes") ? IDYES : Is(argv[2], "no") ? IDNO : IDOK;
        Answer(box, button);
        return 0;
    }

    if ((Is(verb, "dialog-set") && argc == 4) || (Is(verb, "dialog-press") && argc == 3)) {
        HWND dialog = WaitForShown(tessel::DialogClassName, 10000);
        if (dialog == nullptr) return 1;
        const int id = std::atoi(argv[2]);
        if (argc == 4) return SetText(::GetDlgItem(dialog, id), argv[3]) ? 0 : 1;
        Press(dialog, id);
        return 0;
    }

    HWND main = WaitForShown(tessel::MainClassName, 10000);
    if (main == nullptr) {
        std::fputs("tessel-drive: no Tessel window\n", stderr);
        return 1;
    }
    if (Is(verb, "command") && argc == 3) {
        ::PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[2])), 0);
        return 0;
    }
    if (Is(verb, "close")) {
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        return 0;
    }
    if (Is(verb, "set") && argc == 4) {
        return SetText(::GetDlgItem(main, std::atoi(argv[2])), argv[3]) ? 0 : 1;
    }
    if (Is(verb, "check") && argc == 3) {
        CheckRadio(main, std::atoi(argv[2]));
        return 0;
    }
    if (Is(verb, "kind") && argc == 3) {
        SelectItem(main, tessel::CmbKind, std::atoi(argv[2]));
        return 0;
    }
    if (Is(verb, "press") && argc == 3) {
        Press(main, std::atoi(argv[2]));
        return 0;
    }
    if (Is(verb, "get") && argc == 3) {
        std::printf("%s\n", TextOf(::GetDlgItem(main, std::atoi(argv[2]))).c_str());
        return 0;
    }
    if (Is(verb, "wait-text") && argc >= 4) {
        HWND control = ::GetDlgItem(main, std::atoi(argv[2]));
        const std::string wanted = argv[3];
        return WaitUntil([&] { return TextOf(control).find(wanted) != std::string::npos; },
                         seconds(4, 60) * 1000)
                   ? 0
                   : 1;
    }
    if (Is(verb, "wait-progress") && argc >= 3) {
        HWND bar = ::GetDlgItem(main, tessel::PrgProgress);
        const LRESULT wanted = std::atoi(argv[2]);
        return WaitUntil([&] { return ::SendMessageW(bar, PBM_GETPOS, 0, 0) >= wanted; },
                         seconds(3, 60) * 1000)
                   ? 0
                   : 1;
    }
    return Usage();
}
