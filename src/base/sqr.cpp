// base/sqr.cpp: Newton's iteration on doubles, started from the argument with its
// binary exponent halved, so the start is within a factor of two of the root.
#include "base/sqr.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "base/debug_output.h"

namespace tessel {
namespace {

double HalvedExponentStart(double x) {
    constexpr std::uint64_t ExponentMask = std::uint64_t{0x7FF} << 52;
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const std::uint64_t exponent = (bits & ExponentMask) >> 52;
    const std::uint64_t halved = (exponent + 1) / 2 + 511;  // ceil(e / 2) + 511
    return std::bit_cast<double>((bits & ~ExponentMask) | (halved << 52));
}

}  // namespace

double Sqr(double x) {
    if (x == 0) return 0;
    if (!(x > 0)) {  // negative, or not a number
        DebugOutput("Error:Sqr argument is illegal");
        return -1;
    }
    if (std::isinf(x)) return x;  // inf / inf would turn the iteration into NaN for ever

    double y = HalvedExponentStart(x);
    // From above the root every step goes down until two steps agree. Rounding can instead
    // leave the last two values swapping places for ever; the first step that does not go
    // down ends the loop on the smaller value (the first step may go up: from below the
    // root it lands above it). The guard only bounds the loop; it converges in under ten.
    for (int step = 0; step < 100; ++step) {
        const double previous = y;
        y = (y + x / y) / 2;
        if (y == previous) break;
        if (step > 0 && y > previous) {
            y = previous;
            break;
        }
    }
    return y;
}

}  // namespace tessel
