// files/os/wide_path_win32.h: an engine path (UTF-8) as the wide calls take it. Only the
// Windows seam includes this.
#pragma once

#include <string>
#include <string_view>

namespace tessel::os {

// `path` followed by `suffix`, in UTF-16. From LongPathFrom units on it is made fully
// qualified (GetFullPathNameW) and put in the long form, so no MAX_PATH limit applies to it:
// only the file system's own (32,767 characters, 255 a name on NTFS).
std::wstring WidePath(std::string_view path, std::wstring_view suffix = {});

// A name or path the wide calls gave, in UTF-8.
std::string Utf8Of(std::wstring_view wide);

}  // namespace tessel::os
