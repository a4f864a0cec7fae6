// tools/drive/remote_window.cpp: the wide messages, whose texts the system carries across
// processes as UTF-16.
#include "remote_window.h"

#include <vector>

#include "app/control_ids.h"
#include "files/code_page.h"

namespace tessel::drive {
namespace {

bool IsOf(HWND window, DWORD processId) {
    if (processId == 0) return true;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    return owner == processId;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

}  // namespace

HWND FindShown(const char16_t* className, DWORD processId) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, Wide(className), nullptr)) != nullptr) {
        if (::IsWindowVisible(window) && IsOf(window, processId)) return window;
    }
    return nullptr;
}

bool WaitUntil(const std::function<bool()>& ready, int milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (ready()) return true;
        if (static_cast<int>(::GetTickCount() - start) >= milliseconds) return false;
        ::Sleep(20);
    }
}

HWND WaitForShown(const char16_t* className, int milliseconds, DWORD processId) {
    const DWORD start = ::GetTickCount();
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindShown(className, processId)) != nullptr; }, milliseconds);
    if (found == nullptr) return nullptr;
    // A window is shown inside CreateWindowEx, before its program has come to its message
    // loop; until then nothing sent to it is answered.
    DWORD owner = 0;
    ::GetWindowThreadProcessId(found, &owner);
    if (HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, owner)) {
        const int left = milliseconds - static_cast<int>(::GetTickCount() - start);
        ::WaitForInputIdle(process, static_cast<DWORD>(left > 1000 ? left : 1000));
        ::CloseHandle(process);
    }
    return found;
}

namespace {

constexpr UINT SendLimit = 60000;

}  // namespace

std::string TextOf(HWND control) {
    // GetWindowTextW does not ask another process's edit control; the message does, and
    // the system carries the text across.
    std::u16string buffer(8192, u'\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, SendLimit,
                               &length)) {
        return {};
    }
    buffer.resize(length);
    return Utf16ToUtf8(buffer);
}

bool SetText(HWND control, const std::string& text, std::string* holds) {
    // The send waits however long the program takes to come to its queue; the control is
    // then asked what it holds, so that a send that was given up on (its text never set) is
    // seen and made again.
    const std::u16string wide = Utf8ToUtf16(text);
    std::string now;
    const bool held = WaitUntil(
        [&] {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                                  SMTO_NORMAL, SendLimit, &ignored);
            return (now = TextOf(control)) == text;
        },
        static_cast<int>(SendLimit));
    if (holds != nullptr) *holds = now;
    return held;
}

void Press(HWND parent, int id) {
    ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(parent, id)));
}

void CheckRadio(HWND parent, int id) {
    // The form's two groups of three.
    const int first = id <= RadSeparateFolder ? RadSequential : RadThresholdNone;
    for (int radio = first; radio < first + 3; ++radio) {
        ::PostMessageW(::GetDlgItem(parent, radio), BM_SETCHECK,
                       radio == id ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void SelectItem(HWND parent, int id, int index) {
    HWND combo = ::GetDlgItem(parent, id);
    ::PostMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

HWND WaitForMessageBox(DWORD processId, int milliseconds) {
    return WaitForShown(u"#32770", milliseconds, processId);
}

std::string MessageOf(HWND box) {
    std::vector<HWND> children;
    ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::string message;
    for (HWND child : children) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        if (::lstrcmpiW(className, L"Static") != 0) continue;
        std::string text = TextOf(child);
        if (text.size() > message.size()) message = std::move(text);
    }
    return message;
}

void Answer(HWND box, int buttonId) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

}  // namespace tessel::drive
