// app/about_dialog_win32.cpp: the About dialog's controls from the form table, on the wide
// calls.
#include "app/about_dialog_win32.h"

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/form_table.h"
#include "app/handles_win32.h"
#include "app/modal_dialog_win32.h"
#include "app/shell_win32.h"

namespace tessel {

HWND aboutDialog = nullptr;

namespace {

UniqueIcon aboutIcon;  // the icon control shows it but does not own it

void OnInitDialog(HWND dialog) {
    aboutDialog = dialog;
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    for (const ControlSpec& c : AboutControls()) {
        HWND control = ::CreateWindowExW(
            c.exStyle, Wide(c.className), Wide(c.caption), c.style, c.x, c.y, c.width, c.height,
            dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(AboutFont()), FALSE);
        if (c.id == IcoAboutIcon) {
            aboutIcon.Reset(static_cast<HICON>(::LoadImageW(
                instance, MAKEINTRESOURCEW(ProgramIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
            ::SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(aboutIcon.Get()), 0);
        }
    }
}

}  // namespace

LRESULT CALLBACK AboutDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(dialog); return 0;
        case WM_DESTROY: aboutIcon.Reset(); return 0;
        case WM_CLOSE: CloseModalDialog(dialog, 0); return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == BtnAboutOk && HIWORD(wParam) == BN_CLICKED) {
                CloseModalDialog(dialog, 1);
            }
            return 0;
    }
    return ::DefWindowProcW(dialog, message, wParam, lParam);
}

}  // namespace tessel
