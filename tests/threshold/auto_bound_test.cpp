#include "threshold/auto_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessel {
namespace {

std::vector<std::int32_t> Many(std::int32_t side, int count) {
    return std::vector<std::int32_t>(static_cast<std::size_t>(count), side);
}

std::vector<std::int32_t> Join(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::int32_t> Block(std::int32_t from, std::int32_t to) {
    std::vector<std::int32_t> all;
    for (std::int32_t s = from; s <= to; ++s) all.push_back(s);
    return all;
}

// The worker's own figures: the mean goes through single precision before it is cut.
std::int32_t MaxSide(const std::vector<std::int32_t>& sides) {
    return sides.empty() ? 0 : *std::max_element(sides.begin(), sides.end());
}
std::int32_t MeanOf(const std::vector<std::int32_t>& sides) {
    std::int64_t sum = 0;
    for (const std::int32_t s : sides) sum += s;
    return MeanSide(sum, sides.size());
}

TEST(AutoBound, MeanSideRoundsToSinglePrecisionThenCuts) {
    EXPECT_EQ(MeanSide(0, 0), 0);
    EXPECT_EQ(MeanSide(10 * 32 + 20 * 1000, 30), 677);  // 677.33
    EXPECT_EQ(MeanSide(3 * 200 + 799 + 3 * 800 + 2 * 801, 9), 600);
    // 131 - 1e-6 is 130 in double precision but 131 once rounded to single precision.
    EXPECT_EQ(MeanSide(131'000'000 - 1, 1'000'000), 131);
    // A sum past 2^31 (40000 files of the largest side) does not wrap.
    EXPECT_EQ(MeanSide(std::int64_t{65535} * 40000, 40000), 65535);
}

TEST(AutoBound, FindsTheGapBelowTheBulkOrFails) {
    const struct {
        const char* what;
        std::vector<std::int32_t> sides;
        std::int32_t maxSide, meanSide;
        std::optional<std::int32_t> spread;
        std::int32_t bound;
        int passing;  // files with SquareSide > bound
    } cases[] = {
        // Only the small files lie below the top class: the variance is negative, spread
        // -1, so low is above high; the scan stops at 677 and nothing lies 64 below it.
        {"ten of 32, twenty of 1000", Join({Many(32, 10), Many(1000, 20)}), 1000, 677, -1, 677, 20},
        {"five of 130", Many(130, 5), 130, 130, 0, 129, 5},
        // No run of three empty classes at 129 or above: the bound is maxSide itself and the
        // strict comparison lets no file through.
        {"five of 129", Many(129, 5), 129, 129, 0, 129, 0},
        {"five of 100", Many(100, 5), 100, 100, 0, 100, 0},
        {"dense block 100..1199", Block(100, 1199), 1199, 649, std::nullopt, 0, 1100},
        {"200 x3, 799, 800 x3, 801 x2",
         Join({Many(200, 3), Many(799, 1), Many(800, 3), Many(801, 2)}), 801, 600, 150, 524, 6},
        // Unmeasurable area 0 is never above any bound.
        {"three of 0, three of 300", Join({Many(0, 3), Many(300, 3)}), 300, 150, -1, 150, 3},
        {"no files", {}, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::int32_t maxSide = MaxSide(c.sides);
        const std::int32_t meanSide = MeanOf(c.sides);
        ASSERT_EQ(maxSide, c.maxSide);
        ASSERT_EQ(meanSide, c.meanSide);

        SideHistogram histogram(static_cast<std::size_t>(maxSide) + 1, 7);  // stale counts
        BuildSideHistogram(histogram, c.sides, maxSide);
        if (c.spread) {
            EXPECT_EQ(SideSpread(histogram, maxSide, meanSide), *c.spread);
        }
        const std::int32_t bound = ComputeAutoBound(histogram, maxSide, meanSide);
        EXPECT_EQ(bound, c.bound);
        EXPECT_EQ(std::count_if(c.sides.begin(), c.sides.end(),
                                [&](std::int32_t s) { return s > bound; }),
                  c.passing);
    }
}

}  // namespace
}  // namespace tessel
