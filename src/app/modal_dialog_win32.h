// app/modal_dialog_win32.h: the program's dialogs are plain windows of the class NORMALDLG
// that run modally in a nested message loop while their owner is disabled. There are no
// dialog templates: a dialog's procedure builds its controls on WM_INITDIALOG.
#pragma once

#include <windows.h>

#include <string_view>

namespace tessel {

// Creates the dialog named `identifier` ("DigVersionInfo", "DigGetThreshold") with `owner`,
// runs it until it is closed and returns the result given to CloseModalDialog. Returns 0
// at once, creating nothing, for an unknown identifier, for a dialog that is already open,
// and for a dialog without a procedure (after a debugger line that names it). A WM_QUIT that
// arrives meanwhile closes the dialog (result 0) and is posted again, so every loop out to the main
// one ends too.
int ModalDialogRunner(HWND owner, const char* identifier);

// Ends the dialog: enables its owner again (unless another open dialog still holds the
// same owner), destroys the window, and makes the dialog's own runner return `result`,
// also when a dialog opened later is still running inside it.
void CloseModalDialog(HWND dialog, int result);

// A known dialog's procedure and the variable that holds its window while it exists.
struct DialogRegistration {
    WNDPROC procedure = nullptr;
    HWND* handle = nullptr;
};

// Gives the dialog named `identifier` its registration and returns the one it replaces, so
// that a caller can put that back. The shell registers every dialog when it starts; a
// dialog that the runner finds without a procedure is a fault, reported on the debugger
// output.
DialogRegistration RegisterDialogProcedure(std::string_view identifier,
                                           DialogRegistration registration);

}  // namespace tessel
