// app/main_window_win32.h: the main window (class NORMAL0): its procedure, the form it
// builds, and the run monitor (with its job record) that lives with it. Other parts of the program
// reach the controls through MainWindow() and the numbers of control_ids.h.
#pragma once

#include <windows.h>

#include "job/run_monitor.h"

namespace tessel {

// The procedure of NORMAL0: sets the status-bar hint for every WM_COMMAND, then routes.
LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The main window from the start of its WM_CREATE to its WM_DESTROY; null otherwise.
HWND MainWindow();

// The front-end side of the form's job record, with the record, made by the form's
// initialisation. It outlives the window's destruction (the worker is stopped then) until the
// next main window is made or the shell ends, so code that a nested dialog loop returns to
// never finds it gone. Null before the first form.
RunMonitor* FormMonitor();

// Frees the job record and its monitor; called by the shell at its end.
void ReleaseMainForm();

}  // namespace tessel
