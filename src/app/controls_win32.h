// app/controls_win32.h: reading and writing the main form's controls by their identifiers,
// through the wide calls. The program's texts are UTF-16 (char16_t), which on Windows is
// what wchar_t holds, so they go to the calls as they are; the engine's UTF-8 is converted
// here, at the window's edge, and nowhere else.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/form_logic.h"
#include "files/code_page.h"

namespace tessel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is UTF-16");

inline const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline const wchar_t* Wide(const std::u16string& text) {
    return Wide(text.c_str());
}
inline std::u16string FromWide(std::wstring_view wide) {
    return std::u16string(wide.begin(), wide.end());
}

inline HWND Control(HWND window, int id) {
    return ::GetDlgItem(window, id);
}

// The window's whole text.
inline std::u16string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
    buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return FromWide(buffer);
}

// What the form takes of a control's text: at most ControlTextLimit bytes of code page 932
// (FieldText).
inline std::u16string ControlText(HWND control) {
    return FieldText(WindowText(control));
}

// A field's text in the engine's UTF-8: a folder or the extension list.
inline std::string ControlUtf8(HWND control) {
    return Utf16ToUtf8(ControlText(control));
}

inline void SetText(HWND window, const char16_t* text) {
    ::SetWindowTextW(window, Wide(text));
}
inline void SetText(HWND window, const std::u16string& text) {
    SetText(window, text.c_str());
}
// A text of the engine (a path, the run's status) as the window shows it: whole.
inline void SetUtf8Text(HWND window, std::string_view utf8) {
    SetText(window, Utf8ToUtf16(utf8));
}

inline bool IsChecked(HWND window, int id) {
    return ::SendMessageW(Control(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace tessel
