// app/progress_monitor_win32.cpp: the timer's tick, the abort and the end of a run, shown
// in UTF-16: the run's UTF-8 status becomes the log's text here.
#include "app/progress_monitor_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/control_ids.h"
#include "app/controls_win32.h"
#include "app/form_table.h"
#include "app/main_window_win32.h"
#include "app/texts.h"
#include "app/threshold_dialog_win32.h"
#include "job/extraction_job.h"

namespace tessel {
namespace {

void StartTimer(HWND window) {
    ::SetTimer(window, ProgressTimerId, 200, nullptr);
}

void StopTimer(HWND window) {
    ::KillTimer(window, ProgressTimerId);
}

// The log is set only when the worker's text has changed: setting the same text again
// would move the caret and the scroll position back to the top five times a second. The
// status is whole (at most StatusTextLimit bytes of code page 932, but more UTF-16 units
// where it holds characters beyond U+FFFF): the log is read whole to compare.
void ShowStatus(HWND window, const std::string& status) {
    HWND log = Control(window, EdtLog);
    const std::u16string shown = Utf8ToUtf16(status);
    if (WindowText(log) != shown) SetText(log, shown);
}

}  // namespace

void LeaveRunningState(HWND window, const std::string& previousRunBlock) {
    for (const int id : RunLockedControls()) ::EnableWindow(Control(window, id), TRUE);
    // The bar keeps its position; the next Run sets it to 0.
    ::ShowWindow(Control(window, PrgProgress), SW_HIDE);
    SetText(Control(window, BtnExit), text::Exit);
    SetUtf8Text(Control(window, EdtLog), previousRunBlock);
}

void ProgressMonitor(HWND window) {
    RunMonitor* monitor = FormMonitor();
    if (monitor == nullptr) return;
    const JobTick tick = monitor->Tick();
    if (!tick.running) {
        StopTimer(window);
        if (tick.ended) {
            // Drops were refused from the last drop on; the run's end takes them again.
            ::DragAcceptFiles(window, TRUE);
            if (tick.previousRunBlock) LeaveRunningState(window, *tick.previousRunBlock);
        }
        return;
    }
    // No tick may run inside the dialog's nested loop.
    if (tick.question) StopTimer(window);
    ::SendMessageW(Control(window, PrgProgress), PBM_SETPOS, static_cast<WPARAM>(tick.progress), 0);
    ShowStatus(window, tick.statusText);
    if (tick.question) AskManualBound(window, *tick.question);
}

void AskManualBound(HWND window, const BoundQuestion& question) {
    RunMonitor* monitor = FormMonitor();
    const int bound = AskThresholdDialog(window, question);
    // The dialog's loop ran the whole program: the window may be gone and its run stopped
    // meanwhile. The answer reaches only the request that is still waiting (AnswerBound
    // checks the serial), and the timer comes back only for a run that goes on.
    if (monitor == nullptr || monitor != FormMonitor()) return;
    monitor->AnswerBound(question.serial, bound);
    if (::IsWindow(window) && monitor->RunUnderWay()) StartTimer(window);
}

void ExitOrAbort(HWND window) {
    RunMonitor* monitor = FormMonitor();
    const auto previousRunBlock = monitor ? monitor->Abort() : std::nullopt;
    if (!previousRunBlock) {
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        return;
    }
    // The timer goes on: its next tick ends the run without a second block.
    LeaveRunningState(window, *previousRunBlock);
}

void ExitFromMenu(HWND window) {
    if (RunMonitor* monitor = FormMonitor()) monitor->Stop();
    ::SendMessageW(window, WM_CLOSE, 0, 0);
}

}  // namespace tessel
