// files/os/wide_path_win32.cpp: UTF-8 paths to the wide calls and back.
#include "files/os/wide_path_win32.h"

#include <windows.h>

#include "files/code_page.h"
#include "files/os/long_path.h"

namespace tessel::os {

std::wstring WidePath(std::string_view path, std::wstring_view suffix) {
    const std::u16string utf16 = Utf8ToUtf16(path);
    std::wstring wide(utf16.begin(), utf16.end());
    wide += suffix;
    if (wide.size() < LongPathFrom) return wide;
    // The long form is taken literally: a relative path, "/" and "." or ".." would not be
    // understood after the prefix, so the path is made fully qualified first.
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::wstring full(needed, L'\0');
    const DWORD got = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return wide;
    full.resize(got);
    const std::u16string form = LongPathForm(std::u16string(full.begin(), full.end()));
    return std::wstring(form.begin(), form.end());
}

std::string Utf8Of(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace tessel::os
