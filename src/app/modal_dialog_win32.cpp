// app/modal_dialog_win32.cpp: the runner's nested loop ends on its own dialog's close, which
// it learns from the modal stack, not from a posted WM_QUIT: a thread message would be
// taken by whichever loop runs innermost, so an outer dialog closed first would hand its
// result to the inner runner and end it early.
#include "app/modal_dialog_win32.h"

#include <array>
#include <string>
#include <utility>

#include "app/controls_win32.h"
#include "app/dpi_win32.h"
#include "app/form_table.h"
#include "app/modal_stack.h"
#include "app/shell_win32.h"
#include "base/debug_output.h"
#include "base/scale.h"

namespace tessel {
namespace {

struct DialogProcedure {
    const char* identifier;
    DialogRegistration registration;
};
std::array<DialogProcedure, 2> procedures = {{{AboutDialogId, {}}, {ThresholdDialogId, {}}}};

ModalStack stack;

ModalStack::Window Id(HWND window) {
    return reinterpret_cast<ModalStack::Window>(window);
}

DialogProcedure* FindProcedure(std::string_view identifier) {
    for (DialogProcedure& p : procedures) {
        if (identifier == p.identifier) return &p;
    }
    return nullptr;
}

}  // namespace

DialogRegistration RegisterDialogProcedure(std::string_view identifier,
                                           DialogRegistration registration) {
    DialogProcedure* p = FindProcedure(identifier);
    if (p == nullptr) return {};
    return std::exchange(p->registration, registration);
}

int ModalDialogRunner(HWND owner, const char* identifier) {
    const DialogSpec* known = FindDialog(identifier);
    if (known == nullptr) return 0;
    const DialogProcedure* found = FindProcedure(known->identifier);
    if (found == nullptr || found->registration.procedure == nullptr) {
        const std::string line =
            std::string("ModalDialogRunner: ") + known->identifier + " has no procedure";
        DebugOutput(line.c_str());
        return 0;
    }
    // A copy: a registration made while the dialog runs is for the next one.
    const DialogRegistration entry = found->registration;
    if (stack.IsOpen(known->identifier)) return 0;
    // The outer size is drawn for 96 DPI. Where the dialog opens, and so its DPI, is known
    // only once it exists: made for the system's DPI, it is sized again on another screen.
    const int systemDpi = SystemDpi();
    HWND dialog = ::CreateWindowExW(0, Wide(DialogClassName), Wide(known->title), DialogStyle,
                                    CW_USEDEFAULT, CW_USEDEFAULT, Scale(known->width, systemDpi),
                                    Scale(known->height, systemDpi), owner, nullptr,
                                    ProgramInstance(), nullptr);
    if (dialog == nullptr) return 0;
    if (const int dpi = WindowDpi(dialog); dpi != systemDpi) {
        ::SetWindowPos(dialog, nullptr, 0, 0, Scale(known->width, dpi), Scale(known->height, dpi),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (entry.handle != nullptr) *entry.handle = dialog;
    stack.Push(known->identifier, Id(dialog), Id(owner));

    // Messages of the creation went to the class's default procedure.
    // The W call keeps the window Unicode: its procedure gets and gives UTF-16.
    ::SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.procedure));
    ::SendMessageW(dialog, WM_INITDIALOG, 0, 0);
    ::ShowWindow(dialog, SW_SHOW);
    ::EnableWindow(owner, FALSE);

    MSG msg;
    while (!stack.IsClosed(Id(dialog)) && ::IsWindow(dialog)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Closes never post WM_QUIT, so this one asks the program to end: close this
            // dialog and hand the request on to the loop outside.
            CloseModalDialog(dialog, 0);
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!::IsDialogMessageW(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // Destroyed by someone else (its owner went away): still give the owner back.
    if (!stack.IsClosed(Id(dialog)) && stack.Close(Id(dialog), 0)) ::EnableWindow(owner, TRUE);
    if (entry.handle != nullptr && *entry.handle == dialog) *entry.handle = nullptr;
    return stack.Pop(Id(dialog));
}

void CloseModalDialog(HWND dialog, int result) {
    // The owner comes back before the dialog goes, so that activation returns to it.
    if (stack.Close(Id(dialog), result)) ::EnableWindow(::GetWindow(dialog, GW_OWNER), TRUE);
    ::DestroyWindow(dialog);
}

}  // namespace tessel
