// app/main_window_win32.cpp: the main form. Builds the controls from the form table, lays
// them out from the layout table, and routes commands; what can be decided without a window
// (layout, hints, the kind change) is decided in the portable files and only applied here.
#include "app/main_window_win32.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <string_view>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/dpi_win32.h"
#include "app/folder_inputs_win32.h"
#include "app/form_layout.h"
#include "app/form_logic.h"
#include "app/form_table.h"
#include "app/modal_dialog_win32.h"
#include "app/progress_monitor_win32.h"
#include "app/run_request_win32.h"
#include "app/settings_names.h"
#include "app/shell_win32.h"
#include "app/texts.h"
#include "app/window_size_win32.h"
#include "base/scale.h"
#include "job/run_monitor.h"

namespace tessel {
namespace {

struct FormState {
    HWND window = nullptr;
    // The window's own DPI, which WM_DPICHANGED brings: the system answers for the window
    // only once the change is done, and Windows before 10 cannot answer for a window at all.
    int dpi = BaseDpi;
    KindSelector kinds;
    std::unique_ptr<RunMonitor> monitor;  // with the form's job record
};
FormState form;

// Texts read from controls are compared with the program's own by the system locale, with
// no flags, and only CSTR_EQUAL counts.
bool SameText(std::u16string_view a, std::u16string_view b) {
    return ::CompareStringW(LOCALE_SYSTEM_DEFAULT, 0, reinterpret_cast<const wchar_t*>(a.data()),
                            static_cast<int>(a.size()), reinterpret_cast<const wchar_t*>(b.data()),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}

void ShowHint(HWND window, int commandId) {
    const std::u16string kind = ControlText(Control(window, CmbKind));
    ::SendMessageW(Control(window, StatusBar), SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(Wide(HintFor(commandId, kind, &SameText))));
}

void CreateControls(HWND window) {
    for (const ControlSpec& c : MainFormControls()) {
        const ScaledRect r = ScaleRect(c.x, c.y, c.width, c.height, form.dpi);
        HWND control = ::CreateWindowExW(c.exStyle, Wide(c.className), Wide(c.caption), c.style,
                                         r.x, r.y, r.width, r.height, window,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                         ProgramInstance(), nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont(form.dpi)), FALSE);
    }
}

// The status bar makes its font from the system's settings at the system's DPI; at another
// DPI it gets the same font of that DPI. Its height follows its font at the next layout.
void SetStatusFont(HWND window, BOOL redraw) {
    if (HFONT font = StatusFont(form.dpi)) {
        ::SendMessageW(Control(window, StatusBar), WM_SETFONT, reinterpret_cast<WPARAM>(font),
                       redraw);
    }
}

// The current directory, whole; one longer than the field's 260-byte buffer of a Japanese
// Windows leaves both fields empty, as it always did.
std::u16string CurrentDirectory() {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring directory(needed, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, directory.data());
    if (length == 0 || length >= needed) return {};
    directory.resize(length);
    const std::u16string whole = FromWide(directory);
    return FieldText(whole).size() == whole.size() ? whole : std::u16string();
}

void InitialiseForm(HWND window) {
    SetText(window, text::ProgramTitle);

    const std::u16string directory = CurrentDirectory();
    SetText(Control(window, EdtSource), directory);
    SetText(Control(window, EdtDestination), directory);
    SetText(Control(window, EdtLog), text::LogWelcome);

    HWND kinds = Control(window, CmbKind);
    for (const KindPreset& kind : KindPresets()) {
        ::SendMessageW(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(kind.label)));
    }
    ::SendMessageW(kinds, CB_SETCURSEL, 0, 0);

    HWND extensions = Control(window, EdtExtensions);
    ::SendMessageW(extensions, EM_SETREADONLY, TRUE, 0);
    SetUtf8Text(extensions, KindPresets().front().extensions);
    form.kinds.Reset();

    ::ShowWindow(Control(window, PrgProgress), SW_HIDE);
    ::SendMessageW(Control(window, RadSequential), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(Control(window, RadThresholdNone), BM_SETCHECK, BST_CHECKED, 0);
    ::CreateStatusWindowW(StatusBarStyle, Wide(text::HintGeneral), window, StatusBar);
    if (form.dpi != SystemDpi()) SetStatusFont(window, FALSE);

    // The previous form's worker, if any, was stopped at its OnDestroy; one that a disk still
    // holds inside a call is waited for here, as the old monitor goes.
    form.monitor = std::make_unique<RunMonitor>();

    RestoreWindowSize(window, SettingsBase(), MinimumWidth, MinimumHeight, form.dpi);
}

void OnCreate(HWND window) {
    form.window = window;
    form.dpi = WindowDpi(window);
    ::SetMenu(window, MenuBar());
    CreateControls(window);
    InitialiseForm(window);
}

void OnSize(HWND window, WORD width, WORD height) {
    HWND statusBar = Control(window, StatusBar);
    int statusHeight = 0;
    if (statusBar != nullptr) {
        ::SendMessageW(statusBar, WM_SIZE, 0, 0);  // docks itself at the new bottom
        RECT client;
        ::GetClientRect(statusBar, &client);
        statusHeight = client.bottom - client.top;
    }
    for (const Placement& p : LayoutForm(width, height, statusHeight, form.dpi)) {
        ::MoveWindow(Control(window, p.id), p.x, p.y, p.width, p.height, TRUE);
    }
}

// The window is on a screen of another density now, or its screen's scale was changed: the
// fonts and the layout follow, and the window takes the rectangle that Windows proposes,
// which keeps it under the pointer that dragged it across.
void OnDpiChanged(HWND window, int dpi, const RECT& suggested) {
    form.dpi = dpi;
    for (const ControlSpec& c : MainFormControls()) {
        ::SendMessageW(Control(window, c.id), WM_SETFONT, reinterpret_cast<WPARAM>(FormFont(dpi)),
                       FALSE);
    }
    SetStatusFont(window, FALSE);
    ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // A rectangle of the same size sends no WM_SIZE, but every length inside has changed.
    RECT client;
    ::GetClientRect(window, &client);
    OnSize(window, static_cast<WORD>(client.right), static_cast<WORD>(client.bottom));
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void OnKindChange(HWND window) {
    HWND extensions = Control(window, EdtExtensions);
    const auto view = form.kinds.Change(ControlText(Control(window, CmbKind)),
                                        ControlText(extensions), &SameText);
    if (!view) return;
    if (view->fieldText) SetText(extensions, *view->fieldText);
    ::SendMessageW(extensions, EM_SETREADONLY, view->editable ? FALSE : TRUE, 0);
    if (!view->thresholdChoices) {
        ::SendMessageW(Control(window, RadThresholdNone), BM_SETCHECK, BST_CHECKED, 0);
        ::SendMessageW(Control(window, RadThresholdAuto), BM_SETCHECK, BST_UNCHECKED, 0);
        ::SendMessageW(Control(window, RadThresholdManual), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    ::EnableWindow(Control(window, RadThresholdAuto), view->thresholdChoices);
    ::EnableWindow(Control(window, RadThresholdManual), view->thresholdChoices);
}

void OnCommand(HWND window, int id, int code) {
    switch (id) {
        case BtnExit:
            if (code == BN_CLICKED) ExitOrAbort(window);
            break;
        case BtnBrowseSource:
            if (code == BN_CLICKED) BrowseForFolder(window, EdtSource, text::BrowseSourceTitle);
            break;
        case BtnBrowseDestination:
            if (code == BN_CLICKED) {
                BrowseForFolder(window, EdtDestination, text::BrowseDestinationTitle);
            }
            break;
        case BtnRun:
            if (code == BN_CLICKED) StartRun(window);
            break;
        case CmbKind:
            if (code == CBN_SELCHANGE) OnKindChange(window);
            break;
        case MenuExit: ExitFromMenu(window); break;
        case MenuAbout: ModalDialogRunner(window, AboutDialogId); break;
    }
}

// The worker goes first: the stop removes a copy under way. It does not wait for a call to
// the file system, which a disk that stopped answering may hold for a minute: the window
// goes at once. The record, which such a worker still holds, stays until the next form or
// the shell's end, and the shell's end waits for the worker a little (shell_win32.h).
void OnDestroy(HWND window) {
    if (form.monitor) form.monitor->Stop();
    SaveWindowSize(window, SettingsBase(), form.dpi);
    ::PostQuitMessage(0);
    ::SetMenu(window, nullptr);  // the menu bar belongs to the shell, not to this window
    form.window = nullptr;
}

// The session ends: the process goes as soon as this returns, without WM_DESTROY. The run
// stops and a stopped copy gets the same grace as at the program's end; one that the disk
// still holds then is removed by the system with the process (its temporary file is marked
// for deletion).
void OnEndSession(bool ending) {
    if (!ending || !form.monitor) return;
    form.monitor->Stop();
    (void)form.monitor->WaitForWorkers(EndGrace);
}

LRESULT MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: OnCreate(window); return 0;
        case WM_DESTROY: OnDestroy(window); return 0;
        case WM_SIZE: OnSize(window, LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_CLOSE: ::DestroyWindow(window); return 0;
        case WM_COMMAND: OnCommand(window, LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_TIMER: ProgressMonitor(window); return 0;
        case WM_DROPFILES: DropHandler(window, reinterpret_cast<HDROP>(wParam)); return 0;
        case WM_ENDSESSION: OnEndSession(wParam != FALSE); return 0;
        case WM_DPICHANGED:
            OnDpiChanged(window, DpiOfMessage(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) ShowHint(window, LOWORD(wParam));
    return MainProcedure(window, message, wParam, lParam);
}

HWND MainWindow() {
    return form.window;
}

RunMonitor* FormMonitor() {
    return form.monitor.get();
}

void ReleaseMainForm() {
    form.monitor.reset();
}

}  // namespace tessel
