// app/modal_stack.cpp
#include "app/modal_stack.h"

#include <algorithm>

namespace tessel {

std::vector<ModalStack::Frame>::const_iterator ModalStack::Find(Window dialog) const {
    return std::find_if(frames_.begin(), frames_.end(),
                        [dialog](const Frame& f) { return f.dialog == dialog; });
}

bool ModalStack::IsOpen(std::string_view identifier) const {
    return std::any_of(frames_.begin(), frames_.end(), [identifier](const Frame& f) {
        return !f.closed && f.identifier == identifier;
    });
}

void ModalStack::Push(std::string_view identifier, Window dialog, Window owner) {
    frames_.push_back(Frame{std::string(identifier), dialog, owner, false, 0});
}

bool ModalStack::Close(Window dialog, int result) {
    const auto found = Find(dialog);
    if (found == frames_.end() || found->closed) return false;
    Frame& frame = frames_[static_cast<std::size_t>(found - frames_.cbegin())];
    frame.closed = true;
    frame.result = result;
    return std::none_of(frames_.begin(), frames_.end(),
                        [&frame](const Frame& f) { return !f.closed && f.owner == frame.owner; });
}

bool ModalStack::IsClosed(Window dialog) const {
    const auto found = Find(dialog);
    return found != frames_.end() && found->closed;
}

int ModalStack::Pop(Window dialog) {
    const auto found = Find(dialog);
    if (found == frames_.end()) return 0;
    const int result = found->closed ? found->result : 0;
    frames_.erase(found);
    return result;
}

}  // namespace tessel
