// app/run_request_win32.cpp: the Run button over the run request's rules (job/run_request.h).
#include "app/run_request_win32.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/form_logic.h"
#include "app/form_table.h"
#include "app/main_window_win32.h"
#include "app/texts.h"
#include "job/run_monitor.h"
#include "job/run_request.h"
#include "job/texts.h"

namespace tessel {

int ShowMessage(HWND owner, const char16_t* message, UINT type) {
    return ::MessageBoxW(owner, Wide(message), Wide(text::ProgramTitle), type);
}

void EnterRunningState(HWND window) {
    for (const int id : RunLockedControls()) ::EnableWindow(Control(window, id), FALSE);
    ::ShowWindow(Control(window, PrgProgress), SW_SHOW);
    SetText(Control(window, BtnExit), text::Abort);
    SetUtf8Text(Control(window, EdtLog), text::StatusSearching);
}

void StartRun(HWND window) {
    RunMonitor* monitor = FormMonitor();
    if (monitor == nullptr || monitor->RunUnderWay()) return;

    // The fields hold UTF-16 and the engine's paths are UTF-8: every name a folder can hold
    // is found and copied by its real name.
    RunSettings settings;
    settings.sourceFolder = ControlUtf8(Control(window, EdtSource));
    if (!IsValidSourceFolder(settings.sourceFolder)) {
        ShowMessage(window, text::SourceFolderInvalid, MB_OK);
        return;
    }
    settings.destinationFolder = ControlUtf8(Control(window, EdtDestination));
    const auto mayCreate = [window] {
        return ShowMessage(window, text::CreateDestinationQuestion, MB_YESNO) == IDYES;
    };
    if (!AcceptDestination(settings.destinationFolder, mayCreate)) {
        ShowMessage(window, text::DestinationFolderInvalid, MB_OK);
        return;
    }
    settings.options = OptionsFromRadios([window](int id) { return IsChecked(window, id); });
    // Taken as typed: blanks and case stay, and an empty field gives ",,".
    settings.extensionList = MakeExtensionList(ControlUtf8(Control(window, EdtExtensions)));

    EnterRunningState(window);
    ::SendMessageW(Control(window, PrgProgress), PBM_SETPOS, 0, 0);
    monitor->Start(std::move(settings));
    ::SetTimer(window, ProgressTimerId, 200, nullptr);
}

}  // namespace tessel
