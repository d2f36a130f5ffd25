#pragma once
// The 48-bit real format through which floats pass in arithmetic and
// comparisons: sign, 8-bit exponent, 39-bit mantissa with a hidden bit (40
// significant bits, about 11 to 12 decimal digits), magnitudes from 2^-128
// (about 2.9e-39) to just below 2^127 (about 1.7e38). Smaller magnitudes
// become 0. Computation happens in 80-bit extended precision (long double).
#include <cstdint>

namespace vestil {

using Extended = long double;

// Rounds x to the nearest 48-bit real (halfway cases away from zero). Returns
// false, with out = 0, when the magnitude is beyond the format's range.
bool ToReal48(Extended x, Extended& out);

// Float to long: through the 48-bit real, then truncated toward zero when the
// magnitude is at most 2147483647; otherwise 0.
int32_t FloatToLong(Extended x);

}  // namespace vestil
