// app/folder_inputs_win32.h: the other ways into the two folder fields besides typing: the
// two browse buttons, through the shell's folder dialog, and a file or folder dropped on
// the window. Drops are taken once: the first one turns acceptance off until a run ends.
// Both speak UTF-16 to the shell, so a folder of any name arrives whole.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace tessel {

// The browse button for the field `fieldId` (EdtSource or EdtDestination), with its title.
void BrowseForFolder(HWND window, int fieldId, const char16_t* title);

// The shell's folder dialog over `path`: opens on that folder when it is one. 1 with the
// chosen folder in `path`, 0 when cancelled or when the choice is no file-system folder
// (`path` unchanged).
int FolderPicker(HWND owner, const char16_t* title, std::u16string& path);

// WM_DROPFILES: takes the first dropped item only, releases the drop, turns acceptance off,
// and fills the fields by the saved-page rule.
void DropHandler(HWND window, HDROP drop);

}  // namespace tessel
