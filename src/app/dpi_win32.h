// app/dpi_win32.h: the density each window is drawn at. The program is per-monitor DPI
// aware (its manifest): each window asks for its own DPI and scales its 96-DPI drawing by
// it. The calls that know a window's own DPI came with Windows 10; they are looked up when
// first needed, so the program still starts where they are missing and uses the system's
// one DPI there.
#pragma once

#include <windows.h>

namespace tessel {

// The DPI of `window`: GetDpiForWindow, or else LOGPIXELSX of the window's device context.
int WindowDpi(HWND window);

// The DPI of the screen before any window exists: GetDpiForSystem, or else LOGPIXELSX of
// the screen's device context.
int SystemDpi();

// GetSystemMetrics as at `dpi`: GetSystemMetricsForDpi, or else the system's value scaled
// from the system's DPI.
int SystemMetricAt(int index, int dpi);

// The status bar's font of the system's settings, as at `dpi`: SystemParametersInfoForDpi,
// or else the system's font with its height scaled from the system's DPI. False when the
// settings cannot be read.
bool StatusFontAt(int dpi, LOGFONTW& font);

// The new DPI that WM_DPICHANGED carries (its two words are the same: a DPI is square).
inline int DpiOfMessage(WPARAM wParam) {
    return LOWORD(wParam);
}

}  // namespace tessel
