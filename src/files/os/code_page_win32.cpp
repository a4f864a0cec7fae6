// files/os/code_page_win32.cpp: code page 932 through Windows' own tables, so the engine
// converts exactly as the window's ANSI calls do.
#include <windows.h>

#include "files/os/code_page_os.h"

namespace tessel::os {
namespace {

constexpr UINT Cp932 = 932;

}  // namespace

std::optional<std::u16string> Cp932ToUtf16(std::string_view cp932) {
    if (cp932.empty()) return std::u16string();
    const int size = static_cast<int>(cp932.size());
    const int wide =
        ::MultiByteToWideChar(Cp932, MB_ERR_INVALID_CHARS, cp932.data(), size, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::u16string out(static_cast<std::size_t>(wide), u'\0');
    ::MultiByteToWideChar(Cp932, MB_ERR_INVALID_CHARS, cp932.data(), size,
                          reinterpret_cast<wchar_t*>(out.data()), wide);
    return out;
}

std::string BmpToCp932(std::u16string_view bmp) {
    if (bmp.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(bmp.data());
    const int size = static_cast<int>(bmp.size());
    // WC_NO_BEST_FIT_CHARS: without it é would come out as e, and "café" would name "cafe".
    const int narrow =
        ::WideCharToMultiByte(Cp932, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(narrow > 0 ? narrow : 0), '\0');
    ::WideCharToMultiByte(Cp932, WC_NO_BEST_FIT_CHARS, wide, size, out.data(), narrow, "?",
                          nullptr);
    return out;
}

}  // namespace tessel::os
