// app/about_dialog_win32.cpp: the About dialog's controls from the form table, on the wide
// calls, at the dialog's DPI.
#include "app/about_dialog_win32.h"

#include <utility>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/dpi_win32.h"
#include "app/form_layout.h"
#include "app/form_table.h"
#include "app/handles_win32.h"
#include "app/modal_dialog_win32.h"
#include "app/shell_win32.h"
#include "base/scale.h"

namespace tessel {

HWND aboutDialog = nullptr;

namespace {

UniqueIcon aboutIcon;  // the icon control shows it but does not own it
int aboutDpi = BaseDpi;

// Icon 101 at the system's icon size for the dialog's DPI (32 x 32 at 96), on the icon
// control, which takes the icon's size; the icon it showed before is destroyed.
void ShowIcon(HWND dialog, HINSTANCE instance) {
    const int size = SystemMetricAt(SM_CXICON, aboutDpi);
    UniqueIcon icon(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(ProgramIconId), IMAGE_ICON, size, size, 0)));
    ::SendDlgItemMessageW(dialog, IcoAboutIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()),
                          0);
    aboutIcon = std::move(icon);
}

HINSTANCE InstanceOf(HWND dialog) {
    return reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
}

void OnInitDialog(HWND dialog) {
    aboutDialog = dialog;
    aboutDpi = WindowDpi(dialog);
    const HINSTANCE instance = InstanceOf(dialog);
    for (const ControlSpec& c : AboutControls()) {
        const ScaledRect r = ScaleRect(c.x, c.y, c.width, c.height, aboutDpi);
        HWND control = ::CreateWindowExW(
            c.exStyle, Wide(c.className), Wide(c.caption), c.style, r.x, r.y, r.width, r.height,
            dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(AboutFont(aboutDpi)), FALSE);
        if (c.id == IcoAboutIcon) ShowIcon(dialog, instance);
    }
}

void OnDpiChanged(HWND dialog, int dpi, const RECT& suggested) {
    aboutDpi = dpi;
    for (const ControlSpec& c : AboutControls()) {
        HWND control = ::GetDlgItem(dialog, c.id);
        const ScaledRect r = ScaleRect(c.x, c.y, c.width, c.height, dpi);
        ::MoveWindow(control, r.x, r.y, r.width, r.height, FALSE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(AboutFont(dpi)), FALSE);
    }
    ShowIcon(dialog, InstanceOf(dialog));
    ::SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
        case WM_DPICHANGED:
            OnDpiChanged(dialog, DpiOfMessage(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
    }
    return ::DefWindowProcW(dialog, message, wParam, lParam);
}

}  // namespace tessel
