#include "cli/output_file.h"

#include <windows.h>

#include <string>

namespace tessel::cli {

std::FILE* OpenForWriting(const std::string& path) {
    // The name may hold what no code page has: the wide call, from UTF-8.
    const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                             static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return nullptr;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                          wide.data(), length);
    return ::_wfopen(wide.c_str(), L"wb");
}

}  // namespace tessel::cli
