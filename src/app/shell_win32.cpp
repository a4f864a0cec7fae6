// app/shell_win32.cpp: start-up and shutdown of the process. Failures of the start-up calls
// are not reported: a missing font or menu leaves the program running with the system's.
#include "app/shell_win32.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <utility>

#include "app/about_dialog_win32.h"
#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/dpi_win32.h"
#include "app/form_table.h"
#include "app/handles_win32.h"
#include "app/main_window_win32.h"
#include "app/modal_dialog_win32.h"
#include "app/settings_names.h"
#include "app/texts.h"
#include "app/threshold_dialog_win32.h"
#include "base/scale.h"
#include "job/run_monitor.h"

namespace tessel {
namespace {

// The fonts of one DPI. The status bar's is made only for a DPI other than the system's.
struct DpiFonts {
    UniqueFont form;
    UniqueFont about;
    UniqueFont threshold;
    UniqueFont status;
    bool statusMade = false;
};

struct SharedGui {
    HINSTANCE instance = nullptr;
    std::map<int, DpiFonts> fonts;  // by DPI; a few at most, one per density in use
    UniqueBrush backgroundBrush;
    UniqueMenu menuBar;  // owns both pop-ups once they are inserted
    std::string settingsBase;
};
std::unique_ptr<SharedGui> shared;

UniqueFont MakeFont(int height, BYTE pitchAndFamily) {
    return UniqueFont(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                    SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS,
                                    DRAFT_QUALITY, pitchAndFamily, Wide(text::FontFace)));
}

// In the order FormFont, AboutFont, ThresholdFont.
DpiFonts MakeFonts(int dpi) {
    DpiFonts fonts;
    fonts.form = MakeFont(Scale(FormFontHeight, dpi), FF_SWISS | DEFAULT_PITCH);
    fonts.about = MakeFont(Scale(AboutFontHeight, dpi), FF_MODERN | VARIABLE_PITCH);
    fonts.threshold = MakeFont(Scale(ThresholdFontHeight, dpi), FF_MODERN | VARIABLE_PITCH);
    return fonts;
}

DpiFonts& FontsAt(int dpi) {
    auto found = shared->fonts.find(dpi);
    if (found == shared->fonts.end()) found = shared->fonts.emplace(dpi, MakeFonts(dpi)).first;
    return found->second;
}

// Inserts one item; an empty text makes a separator and nothing else.
void InsertMenuEntry(HMENU menu, UINT position, BOOL byPosition, const char16_t* caption, UINT id,
                     HMENU subMenu, UINT state) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_TYPE;
    if (caption[0] == u'\0') {
        item.fType = MFT_SEPARATOR;
    } else {
        item.fType = MFT_STRING;
        item.fMask |= MIIM_STATE | MIIM_ID;
        item.dwTypeData = const_cast<wchar_t*>(Wide(caption));
        item.wID = id;
        item.fState = state;
        if (subMenu != nullptr) {
            item.fMask |= MIIM_SUBMENU;
            item.hSubMenu = subMenu;
        }
    }
    ::InsertMenuItemW(menu, position, byPosition, &item);
}

// Every insertion goes to position 0, so the entry inserted last stands first: the bar
// reads "ファイル(&F)", "HELP(&H)".
UniqueMenu BuildMenuBar() {
    UniqueMenu bar(::CreateMenu());
    UniqueMenu help(::CreatePopupMenu());
    InsertMenuEntry(help.Get(), 0, TRUE, text::MenuHelpAbout, MenuAbout, nullptr, 0);
    InsertMenuEntry(bar.Get(), 0, TRUE, text::MenuHelp, 0, help.Get(), 0);
    if (::GetSubMenu(bar.Get(), 0) == help.Get()) help.Release();
    UniqueMenu file(::CreatePopupMenu());
    InsertMenuEntry(file.Get(), 0, TRUE, text::MenuFileExit, MenuExit, nullptr, 0);
    InsertMenuEntry(bar.Get(), 0, TRUE, text::MenuFile, 0, file.Get(), 0);
    if (::GetSubMenu(bar.Get(), 0) == file.Get()) file.Release();
    return bar;
}

void RegisterClasses(HINSTANCE instance, HBRUSH background) {
    // Unicode classes: their windows take and give UTF-16, whatever the ANSI code page.
    WNDCLASSEXW dialog{};
    dialog.cbSize = sizeof dialog;
    dialog.style = ClassStyle;
    // Each dialog puts its own procedure in place after creation (modal_dialog_win32.cpp).
    dialog.lpfnWndProc = ::DefWindowProcW;
    dialog.hInstance = instance;
    // The system's own by number: the names IDI_... and IDC_... follow the UNICODE macro,
    // which this program does not define (it names every call's A or W itself).
    dialog.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));      // IDI_APPLICATION
    dialog.hIconSm = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32517));    // IDI_WINLOGO
    dialog.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    dialog.hbrBackground = background;
    dialog.lpszClassName = Wide(DialogClassName);
    ::RegisterClassExW(&dialog);

    WNDCLASSEXW main = dialog;
    main.lpfnWndProc = MainWindowProcedure;
    main.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(ProgramIconId));
    main.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(ProgramIconId),
                                                   IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    main.lpszClassName = Wide(MainClassName);
    ::RegisterClassExW(&main);
}

}  // namespace

Shell::Shell(HINSTANCE instance, std::string settingsBasePath) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    auto gui = std::make_unique<SharedGui>();
    gui->instance = instance;
    const int dpi = SystemDpi();
    gui->fonts.emplace(dpi, MakeFonts(dpi));
    gui->backgroundBrush = UniqueBrush(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    gui->menuBar = BuildMenuBar();
    gui->settingsBase = std::move(settingsBasePath);
    RegisterClasses(instance, gui->backgroundBrush.Get());
    RegisterDialogProcedure(AboutDialogId, {AboutDialogProcedure, &aboutDialog});
    RegisterDialogProcedure(ThresholdDialogId, {ThresholdDialogProcedure, &thresholdDialog});
    shared = std::move(gui);
}

Shell::~Shell() {
    ::UnregisterClassW(Wide(MainClassName), shared->instance);
    ::UnregisterClassW(Wide(DialogClassName), shared->instance);
    ReleaseMainForm();
    shared.reset();
}

HINSTANCE ProgramInstance() {
    return shared->instance;
}
HFONT FormFont(int dpi) {
    return FontsAt(dpi).form.Get();
}
HFONT AboutFont(int dpi) {
    return FontsAt(dpi).about.Get();
}
HFONT ThresholdFont(int dpi) {
    return FontsAt(dpi).threshold.Get();
}
HFONT StatusFont(int dpi) {
    DpiFonts& fonts = FontsAt(dpi);
    if (!fonts.statusMade) {
        fonts.statusMade = true;
        LOGFONTW font{};
        if (StatusFontAt(dpi, font)) fonts.status.Reset(::CreateFontIndirectW(&font));
    }
    return fonts.status.Get();
}
HBRUSH BackgroundBrush() {
    return shared->backgroundBrush.Get();
}
HMENU MenuBar() {
    return shared->menuBar.Get();
}
const std::string& SettingsBase() {
    return shared->settingsBase;
}

HWND CreateMainWindow() {
    const int dpi = SystemDpi();
    return ::CreateWindowExW(
        MainWindowExStyle, Wide(MainClassName), Wide(text::CreationTitle), MainWindowStyle,
        CW_USEDEFAULT, CW_USEDEFAULT, Scale(MainWindowCreationWidth, dpi),
        Scale(MainWindowCreationHeight, dpi), nullptr, nullptr, shared->instance, nullptr);
}

void RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int RunProgram(HINSTANCE instance) {
    // The wide command line: a program folder of any name holds its Tessel.ini.
    const std::string directory =
        ProgramDirectory(Utf16ToUtf8(FromWide(::GetCommandLineW())), CodePage::Utf8);
    Shell shell(instance, SettingsBasePath(directory));
    // Without its one window the program could only wait unseen for a quit that never comes.
    if (CreateMainWindow() == nullptr) return 1;
    RunMessageLoop();
    // A WM_QUIT that did not come from the main window's end leaves the window standing;
    // destroying it now stops a run that is under way and saves the size, as closing does.
    if (HWND window = MainWindow()) ::DestroyWindow(window);
    // The window is gone. A copy that was stopped inside a call to a disk that does not
    // answer ends when the call returns; the process waits a little for it, then ends
    // without it (the system removes its temporary file, which is marked for deletion).
    if (RunMonitor* monitor = FormMonitor(); monitor && !monitor->WaitForWorkers(EndGrace)) {
        ::ExitProcess(0);
    }
    return 0;
}

}  // namespace tessel
