// app/shell_win32.h: the process's start and end. The shell creates what every window
// shares (three fonts, the background brush, the menu bar), registers the window classes
// NORMALDLG and NORMAL0, knows where the window size is kept, creates the main window and
// runs the one message loop of the user-interface thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace tessel {

// Start-up steps up to the main window: common controls, fonts, brush, menu bar, the two
// window classes and the settings base path. Its end releases them all; the main window
// must be gone by then. One at a time per process.
class Shell {
public:
    Shell(HINSTANCE instance, std::string settingsBasePath);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
};

// What the live Shell holds; the handles stay valid until it ends.
HINSTANCE ProgramInstance();
HFONT FormFont();
HFONT AboutFont();
HFONT ThresholdFont();
HBRUSH BackgroundBrush();
HMENU MenuBar();
// The program directory, a backslash and "Tessel" (no extension).
const std::string& SettingsBase();

// Creates the main window; the window makes its form during the call. Null on failure.
HWND CreateMainWindow();

// Gets and dispatches messages for every window of the thread until WM_QUIT, or until
// GetMessageA fails.
void RunMessageLoop();

// How long the program's end waits for a stopped copy that is still inside a call, after
// the window has gone (the close box, the menu's exit, the session's end).
inline constexpr std::chrono::milliseconds EndGrace{2000};

// The whole program, from the command line to the end of the loop: 0, or 1 when the main
// window cannot be created.
int RunProgram(HINSTANCE instance);

}  // namespace tessel
