// app/settings_names.h: where the window size is kept and how a stored value is read: the
// program's directory from its command line, the settings file and section names, the rule
// for stored numbers and the text a save writes. Pure; window_size_win32.cpp does the calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/code_page.h"

namespace tessel {

// Longest program path that is accepted, exclusive (MAX_PATH).
inline constexpr std::size_t ProgramPathLimit = 260;

// The directory of the program named first on `commandLine`, without a trailing backslash.
// A quoted name runs to the next quote, an unquoted one to the first blank, either to the
// end of the line when none follows. Empty when the name is 260 bytes or longer (in code page
// 932, also for a UTF-8 line) or has no backslash. Arguments after the name are never looked
// at.
std::string ProgramDirectory(std::string_view commandLine, CodePage cp);

// The directory, a backslash and the program's ASCII name: "<dir>\Tessel".
std::string SettingsBasePath(std::string_view programDirectory);

// "<base>.ini"; ".ini" is not added again to a base longer than four bytes that already
// ends in exactly (case-sensitive) ".ini".
std::string SettingsFileName(std::string_view basePath);

// The base's part after its last backslash, + "-WH-Size". A backslash at the very first
// character does not count, so "\Tessel" gives "-WH-Size" alone.
std::string SettingsSectionName(std::string_view basePath, CodePage cp);

inline constexpr std::uint32_t DefaultWidth = 480;
inline constexpr std::uint32_t DefaultHeight = 360;
inline constexpr std::uint32_t MinimumWidth = 480;
inline constexpr std::uint32_t MinimumHeight = 520;

// A size read from the file: its low 16 bits, raised to `minimum` (so a stored -1 gives
// 65535 and a value that is not a number, read as 0, gives the minimum).
std::uint32_t StoredSize(std::uint32_t profileValue, std::uint32_t minimum);

// The window's outer length at `dpi` for a stored value. What is stored is in 96-DPI units
// (a window that is not DPI aware was always handed those), so the size chosen on one screen
// opens as large on another: StoredSize, then scaled.
std::uint32_t StoredSizeAt(std::uint32_t profileValue, std::uint32_t minimum, int dpi);

// What a save stores for an outer length of `pixels` at `dpi`: the length in 96-DPI units.
int SizeToStore(int pixels, int dpi);

// The key list a save hands to the profile call: "Width=<w>", NUL, "Height=<h>", NUL, NUL.
std::string SizeSectionText(int width, int height);

}  // namespace tessel
