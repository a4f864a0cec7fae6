#include "threshold/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tessel {
namespace {

constexpr std::int32_t Largest = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Smallest = std::numeric_limits<std::int32_t>::min();

TEST(NumberText, ReadsLikeATypedNumber) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"150", 150},
        {"", 0},          // an empty box: no bound
        {"  42abc", 42},  // blanks skipped, stops at the first misfit
        {"\t \t7", 7},    // tabs too
        {"4 2", 4},       // only leading blanks are skipped
        {"&H1F", 31},     // hexadecimal
        {"&hff", 255},    // either case, digits too
        {"&o17", 15},     // octal
        {"&O78", 7},      // 8 is no octal digit
        {"&H", 0},        // no digits
        {"&X12", 0},      // & with another letter is no number
        {"-3.9", -3},     // cut toward zero, not down
        {"3.9", 3},
        {"-0.5", 0},
        {"+12", 12},
        {"-", 0},  // a sign alone has no digits
        {".5", 0},
        {"1e5", 1},  // no exponent
        {"0012", 12},
        {"99999999999", Largest},  // too large for 32 bits: the nearest end
        {"-99999999999", Smallest},
        {"2147483647", Largest},  // the range's own ends are exact
        {"-2147483648", Smallest},
        {"2147483648", Largest},
        {"&HFFFFFFFF", Largest},  // a hexadecimal past the range does not wrap
        {"&H7FFFFFFF", Largest},
        {"&O77777777777777777777777777777777777777777", Largest},
        {"1111111111111111111111111111111111111111111111111111111111111111111111111", Largest},
        {"\x82\x50", 0},  // a full-width digit (code page 932) is not a digit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadNumberText(c.text), c.value);
    }
}

}  // namespace
}  // namespace tessel
