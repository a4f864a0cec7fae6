// app/modal_stack.h: the bookkeeping of the modal dialogs that run one inside the other on
// the user-interface thread. Each runner's nested loop ends when its own dialog has been
// closed, whichever dialog closed first; a close never travels as a thread message, so an
// outer dialog's result cannot be taken by an inner loop, and a WM_QUIT that reaches a
// nested loop is always a real request to end the program. Pure; the runner makes the calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

class ModalStack {
public:
    using Window = std::uintptr_t;

    // Whether a dialog of this identifier is open (at most one of each may be).
    bool IsOpen(std::string_view identifier) const;

    void Push(std::string_view identifier, Window dialog, Window owner);

    // Marks `dialog` closed with `result`. Returns whether its owner may be enabled again:
    // no other open dialog has the same owner. False for a dialog that is not open.
    bool Close(Window dialog, int result);

    bool IsClosed(Window dialog) const;

    // Removes the dialog's entry and gives its result (0 if it was never closed).
    int Pop(Window dialog);

private:
    struct Frame {
        std::string identifier;
        Window dialog;
        Window owner;
        bool closed;
        int result;
    };
    std::vector<Frame> frames_;

    std::vector<Frame>::const_iterator Find(Window dialog) const;
};

}  // namespace tessel
