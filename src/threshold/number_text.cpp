// threshold/number_text.cpp
#include "threshold/number_text.h"

#include <cstddef>
#include <limits>

namespace tessel {
namespace {

// The value of `c` as a digit of `radix`, or -1.
int DigitValue(char c, int radix) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < radix ? value : -1;
}

constexpr std::int64_t Limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;

// Reads the digits of `radix` from `pos` on. Past the 32-bit range the value stops
// growing, so that no count of digits can overflow it.
std::int64_t ReadDigits(std::string_view text, std::size_t pos, int radix) {
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos], radix);
        if (digit < 0) break;
        if (value <= Limit) value = value * radix + digit;
    }
    return value;
}

std::int32_t Clamped(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t ReadNumberText(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const std::string_view rest = text.substr(pos);

    if (rest.size() >= 2 && rest[0] == '&') {
        if (rest[1] == 'H' || rest[1] == 'h') return Clamped(ReadDigits(rest, 2, 16));
        if (rest[1] == 'O' || rest[1] == 'o') return Clamped(ReadDigits(rest, 2, 8));
    }
    bool negative = false;
    std::size_t digits = 0;
    if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) {
        negative = rest[0] == '-';
        digits = 1;
    }
    // Cutting toward zero drops the fraction whatever its digits are, so they are never read.
    const std::int64_t whole = ReadDigits(rest, digits, 10);
    return Clamped(negative ? -whole : whole);
}

}  // namespace tessel
