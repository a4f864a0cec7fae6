// job/status_text.h: the byte rules of the status text. Cuts count bytes of the platform's
// own encoding and may fall inside a double-byte character, as the window always did.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel {

// Appends `addition` and keeps only the last `limit` bytes (the folder trail).
void AppendKeepingTail(std::string& text, std::string_view addition, std::size_t limit);

// Keeps only the first `limit` bytes (every formatted composition).
std::string CutToLimit(std::string text, std::size_t limit);

}  // namespace tessel
