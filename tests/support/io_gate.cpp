#include "support/io_gate.h"

#include <utility>

namespace tessel::test {

IoGate::IoGate(os::IoStep step, std::string name, std::uint64_t from)
    : state_(std::make_shared<State>()) {
    state_->step = step;
    state_->name = std::move(name);
    state_->from = from;
    os::SetIoHold([state = state_](os::IoStep step, std::string_view name, std::uint64_t offset) {
        state->Pass(step, name, offset);
    });
}

IoGate::~IoGate() {
    onStop_.reset();
    state_->Release();
    os::SetIoHold({});
}

void IoGate::State::Pass(os::IoStep at, std::string_view file, std::uint64_t offset) {
    std::unique_lock hold(lock);
    if (reached || at != step || file != name || offset < from) return;  // only the first match
    reached = true;
    changed.notify_all();
    changed.wait(hold, [this] { return released; });
}

void IoGate::State::Release() {
    std::scoped_lock hold(lock);
    released = true;
    changed.notify_all();
}

void IoGate::AimAt(std::string name) {
    std::scoped_lock hold(state_->lock);
    state_->name = std::move(name);
}

bool IoGate::WaitUntilHeld(std::chrono::milliseconds limit) {
    std::unique_lock hold(state_->lock);
    return state_->changed.wait_for(hold, limit, [this] { return state_->reached; });
}

void IoGate::Release() {
    state_->Release();
}

void IoGate::ReleaseOnStop(std::stop_token token) {
    // Made without the lock: a token stopped already runs the callback right here.
    onStop_ = std::make_unique<std::stop_callback<std::function<void()>>>(
        std::move(token), std::function<void()>([state = state_] { state->Release(); }));
}

bool IoGate::Held() const {
    std::scoped_lock hold(state_->lock);
    return state_->reached && !state_->released;
}

}  // namespace tessel::test
