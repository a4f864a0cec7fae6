// threshold/number_text.h: how the program reads a number that the user typed or pasted.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessel {

// Reads `text` as a whole number, the way every typed number is read: leading blanks and
// tabs are skipped; "&H" or "&O" (either case) starts a hexadecimal or octal number;
// otherwise an optional sign, decimal digits and, after ".", fraction digits. Reading stops
// at the first character that does not fit, text without digits is 0, and the value is cut
// toward zero and held within the signed 32-bit range (a longer number gives the nearest
// end of that range).
std::int32_t ReadNumberText(std::string_view text);

}  // namespace tessel
