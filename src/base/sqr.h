// base/sqr.h: the program's own square root, used for SquareSide and for the spread of
// sizes. Exact enough that the whole part of the root of every whole number below 2^32 is
// its integer square root.
#pragma once

namespace tessel {

// The square root of x; 0 for 0; -1 for a negative x (and for NaN), after writing the
// line "Error:Sqr argument is illegal" to the debugger output.
double Sqr(double x);

}  // namespace tessel
