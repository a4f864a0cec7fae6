// tests/win32/wide_text.h: the engine's UTF-8 and the wide calls' UTF-16, for the tests that
// talk to Windows themselves.
#pragma once

#include <string>
#include <string_view>

#include "files/code_page.h"

namespace tessel::test {

inline std::wstring WideOf(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}
inline std::string Utf8Of(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

}  // namespace tessel::test

namespace tessel {  // named for the tests as test_support.h names its own
using test::WideOf;
}  // namespace tessel
