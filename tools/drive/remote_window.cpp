#include "remote_window.h"

#include <vector>

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

}  // namespace

HWND FindShown(const char* className, DWORD processId) {
    HWND window = nullptr;
    while ((window = ::FindWindowExA(nullptr, window, className, nullptr)) != nullptr) {
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

HWND WaitForShown(const char* className, int milliseconds, DWORD processId) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindShown(className, processId)) != nullptr; }, milliseconds);
    return found;
}

std::string TextOf(HWND control) {
    // GetWindowTextA does not ask another process's edit control; the message does, and
    // the system carries the text across.
    std::string buffer(4096, '\0');
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(control, WM_GETTEXT, buffer.size(),
                               reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, 10000,
                               &length)) {
        return {};
    }
    buffer.resize(length);
    return buffer;
}

bool SetText(HWND control, const std::string& text) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                 SMTO_ABORTIFHUNG, 20000, &ignored) != 0;
}

void Press(HWND parent, int id) {
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(parent, id)));
}

void CheckRadio(HWND parent, int id) {
    // The form's two groups: 1013-1015 and 1018-1020.
    const int first = id <= 1015 ? 1013 : 1018;
    for (int radio = first; radio < first + 3; ++radio) {
        ::PostMessageA(::GetDlgItem(parent, radio), BM_SETCHECK,
                       radio == id ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void SelectItem(HWND parent, int id, int index) {
    HWND combo = ::GetDlgItem(parent, id);
    ::PostMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

HWND WaitForMessageBox(DWORD processId, int milliseconds) {
    return WaitForShown("#32770", milliseconds, processId);
}

std::string MessageOf(HWND box) {
    std::vector<HWND> children;
    ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::string message;
    for (HWND child : children) {
        char className[32] = {};
        ::GetClassNameA(child, className, sizeof className);
        if (::lstrcmpiA(className, "Static") != 0) continue;
        std::string text = TextOf(child);
        if (text.size() > message.size()) message = std::move(text);
    }
    return message;
}

void Answer(HWND box, int buttonId) {
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

}  // namespace tessel::drive
