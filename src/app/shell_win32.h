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
// The three shared fonts at `dpi`: made at start-up for the system's DPI, and on first use
// for any other (a window moved to a screen of another density). All of them live until the
// Shell ends, so a control on the screen left behind never holds a deleted font.
HFONT FormFont(int dpi);
HFONT AboutFont(int dpi);
HFONT ThresholdFont(int dpi);
// The status bar's font at `dpi`, for a window whose DPI is not the system's: at the
// system's DPI the status bar's own font is this font already. Null when the system's
// settings cannot be read.
HFONT StatusFont(int dpi);
HBRUSH BackgroundBrush();
HMENU MenuBar();
// The program directory, a backslash and "Tessel" (no extension).
const std::string& SettingsBase();

// Creates the main window, at its creation size scaled to the system's DPI (the screen it
// opens on); the window makes its form during the call. Null on failure.
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
