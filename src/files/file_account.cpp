#include "files/file_account.h"

namespace tessel {

std::string_view OutcomeWord(Outcome outcome) {
    switch (outcome) {
        case Outcome::Saved: return "saved";
        case Outcome::SameNameAndSize: return "same-name-size";
        case Outcome::SameContent: return "same-content";
        case Outcome::BelowBound: return "below-bound";
        case Outcome::Failed: return "failed";
        case Outcome::NotReached: return "not-reached";
        case Outcome::Stopped: break;
    }
    return "stopped";
}

bool WasHandled(Outcome outcome) {
    return outcome != Outcome::BelowBound && outcome != Outcome::NotReached &&
           outcome != Outcome::Stopped;
}

}  // namespace tessel
