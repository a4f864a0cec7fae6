// app/form_layout.h: where the main window's controls go for a client size. Pure: client
// size in, rectangles out; the window procedure only moves the windows.
#pragma once

#include <array>
#include <cstdint>

#include "app/control_ids.h"

namespace tessel {

struct Placement {
    ControlId id;
    int x, y, width, height;
};

inline constexpr std::size_t FormPlacementCount = 21;

// The placements, in the order the controls are moved, for the client size that WM_SIZE
// carries in its two 16-bit words (read as signed) and the status bar's height. No minimum:
// a small or minimised window gives zero or negative sizes, passed on as they are.
std::array<Placement, FormPlacementCount> LayoutForm(std::uint16_t widthWord,
                                                     std::uint16_t heightWord, int statusBarHeight);

}  // namespace tessel
