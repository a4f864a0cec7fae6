// app/form_layout.h: where the main window's controls go for a client size at a DPI. Pure:
// client size in, rectangles out; the window procedure only moves the windows.
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
// carries in its two 16-bit words (read as signed), the status bar's height and the window's
// DPI. The table is drawn for 96 DPI: each of its lengths is scaled (base/scale.h), while
// the client size and the status bar come in pixels as they are. No minimum: a small or
// minimised window gives zero or negative sizes, passed on as they are.
std::array<Placement, FormPlacementCount> LayoutForm(std::uint16_t widthWord,
                                                     std::uint16_t heightWord, int statusBarHeight,
                                                     int dpi);

// A rectangle of the 96-DPI drawing (a control's creation rectangle) at `dpi`: each of its
// four numbers scaled alone.
struct ScaledRect {
    int x, y, width, height;
    friend bool operator==(const ScaledRect&, const ScaledRect&) = default;
};
ScaledRect ScaleRect(int x, int y, int width, int height, int dpi);

}  // namespace tessel
