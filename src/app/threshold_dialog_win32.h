// app/threshold_dialog_win32.h: the threshold dialog ("DigGetThreshold"). It shows the run's
// size histogram, reads out the size under the pointer, and lets the user type a lower bound
// or pick one by clicking the chart.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "app/form_table.h"
#include "job/run_monitor.h"

namespace tessel {

// Opens the threshold dialog over `owner` (the main window, which it disables meanwhile) for
// the worker's request `question`, with the proposal in the box, and returns the bound the
// user chose: the box's number on "設定する", 0 on "キャンセル" or the close box. The dialog
// works on its own copy of the histogram, so `question` may go as soon as this returns, and
// the worker's memory is never read. Returns 0 at once, opening nothing, while a threshold
// dialog is already open.
std::int32_t AskThresholdDialog(HWND owner, const BoundQuestion& question);

// The threshold dialog's window while it exists; null otherwise.
extern HWND thresholdDialog;

// The dialog's procedure, registered with the modal runner at start-up.
LRESULT CALLBACK ThresholdDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The eight controls of the dialog, in creation order.
std::span<const ControlSpec> ThresholdControls();

// The chart's drawing surface (360 x 240 at 96 DPI, scaled at the dialog's) while the
// dialog is open, null otherwise: what every paint copies to the chart's place in the window.
HDC ThresholdChartSurface();

}  // namespace tessel
