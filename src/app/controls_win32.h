// app/controls_win32.h: reading and writing the main form's controls by their identifiers.
// Texts are read the way the form always reads them: into a buffer of a given size, so a
// 260-byte buffer yields at most 259 bytes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "app/form_logic.h"

namespace tessel {

inline HWND Control(HWND window, int id) {
    return ::GetDlgItem(window, id);
}

// The control's text, at most `limit` bytes.
inline std::string ControlText(HWND control, std::size_t limit = ControlTextLimit) {
    std::string buffer(limit + 1, '\0');
    const int length = ::GetWindowTextA(control, buffer.data(), static_cast<int>(buffer.size()));
    buffer.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return buffer;
}

inline bool IsChecked(HWND window, int id) {
    return ::SendMessageA(Control(window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace tessel
