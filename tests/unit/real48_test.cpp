// The 48-bit real format: rounding, range and the float-to-long rule.
#include <gtest/gtest.h>

#include <cmath>

#include "values/real48.h"

namespace vestil {
namespace {

Extended R(Extended x) {
  Extended r;
  EXPECT_TRUE(ToReal48(x, r)) << static_cast<double>(x);
  return r;
}

TEST(Real48, KeepsFortyBitsAndRoundsHalfAway) {
  const Extended one = 1.0L;
  EXPECT_EQ(R(one), one);
  EXPECT_EQ(R(one + std::ldexp(1.0L, -39)), one + std::ldexp(1.0L, -39));  // last mantissa bit
  EXPECT_EQ(R(one + std::ldexp(1.0L, -40)), one + std::ldexp(1.0L, -39));  // halfway: rounds up
  EXPECT_EQ(R(one + std::ldexp(1.0L, -40) - std::ldexp(1.0L, -52)), one);
  EXPECT_EQ(R(one + std::ldexp(1.0L, -40) + std::ldexp(1.0L, -52)), one + std::ldexp(1.0L, -39));
  EXPECT_EQ(R(-one - std::ldexp(1.0L, -40)), -one - std::ldexp(1.0L, -39));
  // A carry out of the mantissa moves to the next power of two.
  EXPECT_EQ(R(2.0L - std::ldexp(1.0L, -41)), 2.0L);
  // 1.0000000000001 differs from 1 below the format's precision.
  EXPECT_EQ(R(1.0000000000001L), one);
  // 0.1 keeps about 12 significant digits.
  EXPECT_NEAR(static_cast<double>(R(0.1L)), 0.1, 1e-13);
  EXPECT_NE(R(0.1L), 0.1L);
  EXPECT_EQ(R(R(0.1L)), R(0.1L));
}

TEST(Real48, RangeLimits) {
  const Extended largest = std::ldexp(2.0L - std::ldexp(1.0L, -39), 126);  // about 1.7014118346e38
  EXPECT_EQ(R(largest), largest);
  EXPECT_NEAR(static_cast<double>(largest), 1.7014118346e38, 1e28);
  Extended r;
  EXPECT_FALSE(ToReal48(std::ldexp(1.0L, 127), r));
  EXPECT_FALSE(ToReal48(-std::ldexp(1.0L, 127), r));
  EXPECT_FALSE(ToReal48(largest + std::ldexp(1.0L, 86), r));  // rounds up out of range
  EXPECT_FALSE(ToReal48(INFINITY, r));

  const Extended smallest = std::ldexp(1.0L, -128);  // about 2.9e-39
  EXPECT_EQ(R(smallest), smallest);
  EXPECT_EQ(R(-smallest), -smallest);
  EXPECT_EQ(R(std::ldexp(1.0L, -129)), 0.0L);
  EXPECT_EQ(R(1e-40L), 0.0L);
  EXPECT_EQ(R(smallest * (1 - std::ldexp(1.0L, -45))), smallest);  // rounds up into range
}

TEST(Real48, FloatToLongTruncatesWithinRange) {
  EXPECT_EQ(FloatToLong(2.9L), 2);
  EXPECT_EQ(FloatToLong(-2.9L), -2);
  EXPECT_EQ(FloatToLong(3.0e9L), 0);
  EXPECT_EQ(FloatToLong(2147483647.0L), 2147483647);
  EXPECT_EQ(FloatToLong(-2147483647.0L), -2147483647);
  EXPECT_EQ(FloatToLong(-2147483648.0L), 0);
  // 2147483647.4 keeps nine fraction bits and then lies above the limit.
  EXPECT_EQ(FloatToLong(2147483647.4L), 0);
  EXPECT_EQ(FloatToLong(1e300L), 0);
}

}  // namespace
}  // namespace vestil
