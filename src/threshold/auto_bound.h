// threshold/auto_bound.h: the automatic lower bound on image size. It looks for a gap in
// the distribution of SquareSide values, a run of empty size classes below the bulk of
// the images, and puts the bound at the top of that gap. Plain functions, no state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// maxSide + 1 counters; element s counts the found files of SquareSide s.
using SideHistogram = std::vector<std::int32_t>;

// Counts `sides` into `histogram`, which must have maxSide + 1 elements and every side at
// most maxSide.
void BuildSideHistogram(SideHistogram& histogram, std::span<const std::int32_t> sides,
                        std::int32_t maxSide);

// The spread of the sizes below the largest one about `meanSide`; -1 when the variance
// comes out negative.
std::int32_t SideSpread(const SideHistogram& histogram, std::int32_t maxSide,
                        std::int32_t meanSide);

// Whether the `width` classes below `bound` (never index 0 or below) are all empty.
bool IsEmptyBelow(const SideHistogram& histogram, std::int32_t bound, std::int32_t width);

// The mean SquareSide as the automatic bound expects it: the quotient in double precision,
// rounded to single precision, cut toward zero; 0 for no files.
std::int32_t MeanSide(std::int64_t sumSides, std::size_t count);

// The automatic bound, 0 when none is found.
std::int32_t ComputeAutoBound(const SideHistogram& histogram, std::int32_t maxSide,
                              std::int32_t meanSide);

}  // namespace tessel
