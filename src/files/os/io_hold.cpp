#include "files/os/io_hold.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

namespace tessel::os {
namespace {

std::atomic<bool> armed = false;
std::mutex guard;
std::shared_ptr<const IoHold> current;

}  // namespace

void SetIoHold(IoHold hold) {
    std::shared_ptr<const IoHold> next;
    if (hold) next = std::make_shared<const IoHold>(std::move(hold));
    std::scoped_lock lock(guard);
    armed = next != nullptr;
    current = std::move(next);
}

void HoldIfAsked(IoStep step, std::string_view name, std::uint64_t offset) {
    if (!armed.load(std::memory_order_acquire)) return;
    std::shared_ptr<const IoHold> hold;
    {
        std::scoped_lock lock(guard);
        hold = current;
    }
    if (hold) (*hold)(step, name, offset);
}

}  // namespace tessel::os
