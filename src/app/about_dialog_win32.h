// app/about_dialog_win32.h: the About dialog ("DigVersionInfo"): the program's icon, name,
// version, home page and author, and an OK button. Run it with ModalDialogRunner.
#pragma once

#include <windows.h>

namespace tessel {

// The About dialog's window while it exists; null otherwise.
extern HWND aboutDialog;

// OK returns 1, the title-bar close 0; no other command ends it.
LRESULT CALLBACK AboutDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tessel
