// files/os/code_page_os.h: the platform's own tables for code page 932, behind the
// conversions of files/code_page.h. Windows has them (MultiByteToWideChar), glibc too
// (iconv's CP932). Only code_page.cpp includes this.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessel::os {

// Code page 932 to UTF-16; nullopt when a byte sequence is no character of it.
std::optional<std::u16string> Cp932ToUtf16(std::string_view cp932);

// UTF-16 without surrogates to code page 932: a character that has no code of its own there
// becomes "?", never a best-fit look-alike.
std::string BmpToCp932(std::u16string_view bmp);

}  // namespace tessel::os
