// tools/drive/remote_window.h: driving a running Tessel.exe from another process by its
// control identifiers, as a user would: fill a field, check a radio, press a button,
// answer a message box, read the log. Shared by the tessel-drive tool (scripts,
// screenshots) and the end-to-end tests.
//
// Everything is posted or asked with a time limit: a button whose handler opens a message
// box would otherwise hold the caller until somebody answers it. Texts are UTF-8 here and
// go by the wide messages: what is read back is what the window holds, every character of
// it, on a Windows of any ANSI code page.
//
// A program is driven only once it listens: its window shown and its thread come to its
// message loop (WaitForShown waits for both). Nothing here sends with SMTO_ABORTIFHUNG: the
// system calls a thread hung once it has not looked at its queue for 5 s, which is what a
// program starting on a cold machine does while it loads, and such a send is refused at once,
// its text never set.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tessel::drive {

// The first visible top-level window of `className` (of process `processId`, when not 0).
HWND FindShown(const char16_t* className, DWORD processId = 0);

// Polls `ready` every 20 ms for up to `milliseconds`; whether it held.
bool WaitUntil(const std::function<bool()>& ready, int milliseconds);

// FindShown, waiting up to `milliseconds` for the window and then for its program to come to
// its message loop with nothing left to do (WaitForInputIdle); null when no window came.
HWND WaitForShown(const char16_t* className, int milliseconds, DWORD processId = 0);

// The text of another process's control (WM_GETTEXT, up to 8192 UTF-16 units), in UTF-8;
// "" when it does not answer within 60 s.
std::string TextOf(HWND control);
// Sets it (WM_SETTEXT) and reads it back, sending again until the control holds `text`;
// false when it does not within 60 s, and `holds` then says what it holds.
bool SetText(HWND control, const std::string& text, std::string* holds = nullptr);

// Posts the click of button `id` to its parent, as the button itself would.
void Press(HWND parent, int id);
// Checks the radio `id` and unchecks the others of its group, as a click on it would.
void CheckRadio(HWND parent, int id);
// Selects item `index` of the combobox `id` and tells the parent, as the user's choice does.
void SelectItem(HWND parent, int id, int index);

// A message box (class "#32770") of process `processId`, waiting up to `milliseconds`.
HWND WaitForMessageBox(DWORD processId, int milliseconds);
// The message of a message box: the longest text among its static controls.
std::string MessageOf(HWND box);
// Ends a message box with IDOK, IDYES or IDNO.
void Answer(HWND box, int buttonId);

}  // namespace tessel::drive
