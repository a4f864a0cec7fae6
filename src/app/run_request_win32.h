// app/run_request_win32.h: the Run button. It checks the two folders, offers to create a
// missing last level of the destination, reads the options and the extension list, puts
// the form into its running state, starts the run and the 200 ms timer of the progress
// monitor. Every message it shows is a message box captioned "てっせる！".
#pragma once

#include <windows.h>

namespace tessel {

// The handler of BtnRun. A check that fails leaves the form, the run and the timer as they
// were.
void StartRun(HWND window);

// Disables the run's inputs, shows the progress bar, captions BtnExit "中断" and shows the
// searching line in the log.
void EnterRunningState(HWND window);

// MessageBoxW with the main window as owner and the program's caption; the button pressed.
int ShowMessage(HWND owner, const char16_t* text, UINT type);

}  // namespace tessel
