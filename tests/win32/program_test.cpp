// The real program, started as the shell starts it: its path in quotes, with arguments, from a
// folder of a plain name and from one whose name code page 932 cannot write.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/code_page.h"
#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"
#include "support/poll.h"
#include "support/test_support.h"
#include "wide_text.h"

namespace tessel::test {
namespace {

// The main window of another process, once its creation is over: the window becomes
// visible only after its WM_CREATE has built and sized the form.
HWND FindMainWindowOf(DWORD processId) {
    HWND found = nullptr;
    PollUntil([&] {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, L"NORMAL0", nullptr)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == processId && ::IsWindowVisible(window)) return (found = window) != nullptr;
        }
        return false;
    });
    return found;
}

TEST(Program, KeepsItsSizeBesideItselfAndExitsWithZero) {
    for (const char* name : {"Program Files", "Program café 사진 😀"}) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const std::string programFolder = folder / name;
        ASSERT_TRUE(::CreateDirectoryW(WideOf(programFolder).c_str(), nullptr));
        const std::string program = programFolder + "\\Tessel.exe";
        ASSERT_TRUE(::CopyFileW(os::WidePath(BesideThisTest("Tessel.exe")).c_str(),
                                os::WidePath(program).c_str(), TRUE));

        // The argument is ignored.
        std::wstring commandLine = WideOf("\"" + program + "\" " + folder.Path());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(::CreateProcessW(WideOf(program).c_str(), commandLine.data(), nullptr, nullptr,
                                     FALSE, 0, nullptr, WideOf(folder.Path()).c_str(), &startup,
                                     &started));
        const os::UniqueKernelHandle process(started.hProcess);
        const os::UniqueKernelHandle thread(started.hThread);
        HWND main = FindMainWindowOf(started.dwProcessId);
        ASSERT_NE(main, nullptr);
        // GetWindowTextW does not ask another process's edit control; the message does.
        auto textOf = [](HWND window) {
            wchar_t text[MAX_PATH] = {};
            ::SendMessageW(window, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
            const std::wstring_view wide = text;
            return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
        };
        EXPECT_EQ(textOf(main), "てっせる！");
        // The folder fields start with the current directory, not the argument's.
        EXPECT_EQ(textOf(::GetDlgItem(main, 1000)), folder.Path());

        ::SetWindowPos(main, nullptr, 0, 0, 640, 560, SWP_NOMOVE | SWP_NOZORDER);
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(::WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
        DWORD exitCode = 99;
        ::GetExitCodeProcess(process.Get(), &exitCode);
        EXPECT_EQ(exitCode, 0u);

        // Beside the program, whatever its folder's name, and ASCII as it always was.
        const std::wstring settings = WideOf(programFolder + "\\Tessel.ini");
        EXPECT_EQ(::GetFileAttributesW(settings.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE,
                  static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));  // Wine adds ARCHIVE to every file
        EXPECT_EQ(::GetPrivateProfileIntW(L"Tessel-WH-Size", L"Width", 0, settings.c_str()), 640u);
        EXPECT_EQ(::GetPrivateProfileIntW(L"Tessel-WH-Size", L"Height", 0, settings.c_str()), 560u);
        const std::vector<std::uint8_t> bytes = ReadBytes(programFolder + "\\Tessel.ini");
        const std::string content(bytes.begin(), bytes.end());
        EXPECT_TRUE(content.starts_with("[Tessel-WH-Size]")) << content;  // no byte-order mark
        EXPECT_TRUE(std::all_of(content.begin(), content.end(), [](char c) {
            return c == '\r' || c == '\n' || (c >= ' ' && c <= '~');
        })) << content;
    }
}

}  // namespace
}  // namespace tessel::test
