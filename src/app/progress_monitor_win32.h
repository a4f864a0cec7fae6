// app/progress_monitor_win32.h: the window's side of a run once it is started. Timer 1024
// drives ProgressMonitor every 200 ms: the bar, the log, the manual-bound dialog, and the
// end of the run. The Exit button aborts a run, the menu's exit ends the program. All of
// it goes through the form's RunMonitor; nothing here reads the job record itself.
#pragma once

#include <windows.h>

#include <string>

#include "job/run_monitor.h"

namespace tessel {

// The main window's WM_TIMER handler, whatever the timer.
void ProgressMonitor(HWND window);

// Runs the threshold dialog for `question` and answers the worker with its result. The
// answer goes through the monitor by the request's serial: the window may have been closed,
// and the run stopped, while the dialog was open.
void AskManualBound(HWND window, const BoundQuestion& question);

// BtnExit: aborts a run under way (the form is restored at once); closes the program
// otherwise.
void ExitOrAbort(HWND window);

// The menu's "終了(&C)": stops a run without restoring anything, then closes.
void ExitFromMenu(HWND window);

// Puts the form back into its idle state and shows `previousRunBlock` in the log.
void LeaveRunningState(HWND window, const std::string& previousRunBlock);

}  // namespace tessel
