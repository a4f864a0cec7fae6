// threshold/auto_bound.cpp: the gap search. The arithmetic (double sums, truncation toward
// zero, the strict comparisons) is deliberate: the bound a user sees depends on it.
#include "threshold/auto_bound.h"

#include <cstddef>

#include "base/sqr.h"

namespace tessel {

void BuildSideHistogram(SideHistogram& histogram, std::span<const std::int32_t> sides,
                        std::int32_t maxSide) {
    for (std::int32_t s = 0; s <= maxSide; ++s) histogram[static_cast<std::size_t>(s)] = 0;
    for (const std::int32_t side : sides) ++histogram[static_cast<std::size_t>(side)];
}

std::int32_t SideSpread(const SideHistogram& histogram, std::int32_t maxSide,
                        std::int32_t meanSide) {
    // The top class is left out, but meanSide covers every file: the variance can come
    // out negative, and then the spread is Sqr's -1.
    std::int64_t total = 0;
    double weighted = 0;
    for (std::int32_t i = 0; i < maxSide; ++i) {
        const std::int32_t n = histogram[static_cast<std::size_t>(i)];
        total += n;
        weighted += static_cast<double>(i) * i * n;
    }
    if (total == 0) return 0;
    const double mean = meanSide;
    const double variance = weighted / static_cast<double>(total) - mean * mean;
    return static_cast<std::int32_t>(Sqr(variance));
}

bool IsEmptyBelow(const SideHistogram& histogram, std::int32_t bound, std::int32_t width) {
    for (std::int32_t i = bound - 1; i >= bound - width && i > 0; --i) {
        if (histogram[static_cast<std::size_t>(i)] != 0) return false;
    }
    return true;
}

std::int32_t ComputeAutoBound(const SideHistogram& histogram, std::int32_t maxSide,
                              std::int32_t meanSide) {
    const std::int32_t spread = SideSpread(histogram, maxSide, meanSide);
    const double low = meanSide - spread * 0.5;
    const double high = meanSide + spread * 0.5;
    auto empty = [&](std::int32_t i) { return histogram[static_cast<std::size_t>(i)] == 0; };

    std::int32_t candidate = maxSide;
    for (std::int32_t i = maxSide; i > 128; --i) {
        if (empty(i) && empty(i - 1) && empty(i - 2)) {
            candidate = i;
            if (i < low) break;
        }
    }
    if (candidate > high && !IsEmptyBelow(histogram, candidate, 64)) return 0;
    return candidate;
}

std::int32_t MeanSide(std::int64_t sumSides, std::size_t count) {
    if (count == 0) return 0;
    const double mean = static_cast<double>(sumSides) / static_cast<double>(count);
    return static_cast<std::int32_t>(static_cast<float>(mean));
}

}  // namespace tessel
