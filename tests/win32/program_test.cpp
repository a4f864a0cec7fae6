// The real program, started as the shell starts it: its path in quotes, with arguments.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"
#include "support/poll.h"
#include "support/test_support.h"

namespace tessel::test {
namespace {

// The main window of another process, once its creation is over: the window becomes
// visible only after its WM_CREATE has built and sized the form.
HWND FindMainWindowOf(DWORD processId) {
    HWND found = nullptr;
    PollUntil([&] {
        HWND window = nullptr;
        while ((window = ::FindWindowExA(nullptr, window, "NORMAL0", nullptr)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == processId && ::IsWindowVisible(window)) return (found = window) != nullptr;
        }
        return false;
    });
    return found;
}

TEST(Program, KeepsItsSizeBesideItselfAndExitsWithZero) {
    TempFolder folder;
    const std::string programFolder = folder / "Program Files";
    ASSERT_TRUE(::CreateDirectoryA(programFolder.c_str(), nullptr));
    const std::string program = programFolder + "\\Tessel.exe";
    ASSERT_TRUE(::CopyFileW(os::WidePath(BesideThisTest("Tessel.exe")).c_str(),
                            os::WidePath(program).c_str(), TRUE));

    std::string commandLine = "\"" + program + "\" " + folder.Path();  // the argument is ignored
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, folder.Path().c_str(), &startup, &started));
    const os::UniqueKernelHandle process(started.hProcess);
    const os::UniqueKernelHandle thread(started.hThread);
    HWND main = FindMainWindowOf(started.dwProcessId);
    ASSERT_NE(main, nullptr);
    char title[64] = {};
    ::GetWindowTextA(main, title, sizeof title);
    EXPECT_STREQ(title, "\x82\xC4\x82\xC1\x82\xB9\x82\xE9\x81\x49");  // てっせる！
    // The folder fields start with the current directory, not the argument's.
    char source[MAX_PATH] = {};
    // GetWindowTextA does not ask another process's edit control; the message does.
    ::SendMessageA(::GetDlgItem(main, 1000), WM_GETTEXT, sizeof source,
                   reinterpret_cast<LPARAM>(source));
    EXPECT_EQ(std::string(source), folder.Path());

    ::SetWindowPos(main, nullptr, 0, 0, 640, 560, SWP_NOMOVE | SWP_NOZORDER);
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    ::GetExitCodeProcess(process.Get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);

    const std::string settings = programFolder + "\\Tessel.ini";
    EXPECT_EQ(::GetFileAttributesA(settings.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));  // Wine adds ARCHIVE to every file
    EXPECT_EQ(::GetPrivateProfileIntA("Tessel-WH-Size", "Width", 0, settings.c_str()), 640u);
    EXPECT_EQ(::GetPrivateProfileIntA("Tessel-WH-Size", "Height", 0, settings.c_str()), 560u);
}

}  // namespace
}  // namespace tessel::test
