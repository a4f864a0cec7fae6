#include "base/sqr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "base/debug_output.h"

namespace tessel {
namespace {

std::vector<std::string> captured;
void Capture(const char* line) {
    captured.emplace_back(line);
}

TEST(Sqr, ExactAtZeroAndPerfectSquares) {
    EXPECT_EQ(Sqr(0), 0);
    EXPECT_EQ(Sqr(4), 2);
    EXPECT_EQ(Sqr(1), 1);
    EXPECT_EQ(Sqr(65535.0 * 65535.0), 65535);
}

TEST(Sqr, WholePartIsTheIntegerRootAroundEverySquareBelow2To32) {
    // Every whole number below 2^32 lies next to a square; the whole part can only go wrong
    // right at one, so k*k - 1, k*k and k*k + 1 for every k cover all the risky places.
    for (std::uint64_t k = 1; k <= 65535; ++k) {
        const std::uint64_t square = k * k;
        ASSERT_EQ(static_cast<std::uint64_t>(Sqr(static_cast<double>(square))), k) << square;
        ASSERT_EQ(static_cast<std::uint64_t>(Sqr(static_cast<double>(square - 1))), k - 1)
            << square - 1;
        if (square + 1 < (std::uint64_t{1} << 32)) {
            ASSERT_EQ(static_cast<std::uint64_t>(Sqr(static_cast<double>(square + 1))), k)
                << square + 1;
        }
    }
    EXPECT_EQ(static_cast<std::int64_t>(Sqr(307200)), 554);          // 640 x 480
    EXPECT_EQ(static_cast<std::int64_t>(Sqr(4294967295.0)), 65535);  // largest 32-bit product
}

TEST(Sqr, EndsOnEveryPositiveDouble) {
    // Tiny, huge and non-integral arguments: the loop must end and land near the root.
    for (const double x : {1e-310, 1e-300, 0.25, 2.0, 1e15 + 0.5, 1.7976931348623157e308}) {
        SCOPED_TRACE(x);
        const double root = Sqr(x);
        EXPECT_NEAR(root, std::sqrt(x), std::sqrt(x) * 1e-15);
    }
    EXPECT_TRUE(std::isinf(Sqr(INFINITY)));
}

TEST(Sqr, NegativeGivesMinusOneAndOneDebugLine) {
    captured.clear();
    const DebugOutputHook previous = SetDebugOutputHook(&Capture);
    EXPECT_EQ(Sqr(-1), -1);
    EXPECT_EQ(Sqr(-1e-300), -1);
    EXPECT_EQ(Sqr(NAN), -1);
    SetDebugOutputHook(previous);
    EXPECT_EQ(captured, (std::vector<std::string>{"Error:Sqr argument is illegal",
                                                  "Error:Sqr argument is illegal",
                                                  "Error:Sqr argument is illegal"}));
}

}  // namespace
}  // namespace tessel
