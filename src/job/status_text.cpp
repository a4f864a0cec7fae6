#include "job/status_text.h"

namespace tessel {

void AppendKeepingTail(std::string& text, std::string_view addition, std::size_t limit) {
    text.append(addition);
    if (text.size() > limit) text.erase(0, text.size() - limit);
}

std::string CutToLimit(std::string text, std::size_t limit) {
    if (text.size() > limit) text.resize(limit);
    return text;
}

}  // namespace tessel
