// app/window_size_win32.h: the main window's outer size, kept in a hidden initialisation
// file beside the program between runs. Nothing is reported: a file that cannot be read
// gives the defaults, one that cannot be written keeps its old content.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tessel {

// Sizes `window` from the file of `settingsBase` (defaults 480 x 360), each raised to its
// minimum, keeping the window's left and top. The file and the minimums are in 96-DPI units;
// the window gets them scaled to its `dpi`. Does not repaint.
void RestoreWindowSize(HWND window, const std::string& settingsBase, std::uint32_t minimumWidth,
                       std::uint32_t minimumHeight, int dpi);

// Writes the window's outer size at its `dpi`, whatever its state, in 96-DPI units as the
// whole section, then marks the file hidden.
void SaveWindowSize(HWND window, const std::string& settingsBase, int dpi);

}  // namespace tessel
