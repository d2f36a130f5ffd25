#include "values/real48.h"

#include <cmath>

namespace vestil {

bool ToReal48(Extended x, Extended& out) {
  out = 0;
  if (x == 0 || std::isnan(x)) return !std::isnan(x);
  if (std::isinf(x)) return false;
  int e = 0;
  Extended m = std::frexp(std::fabs(x), &e);  // 0.5 <= m < 1
  Extended scaled = std::ldexp(m, 40);          // 2^39 <= scaled < 2^40
  Extended r = std::floor(scaled + 0.5L);
  if (r >= 1099511627776.0L) {  // 2^40: the rounding carried into a new bit
    r = 549755813888.0L;        // 2^39
    ++e;
  }
  if (e < -127) return true;  // below the smallest magnitude: 0
  if (e > 127) return false;
  Extended v = std::ldexp(r, e - 40);
  out = x < 0 ? -v : v;
  return true;
}

int32_t FloatToLong(Extended x) {
  Extended r;
  if (!ToReal48(x, r)) return 0;
  if (std::fabs(r) > 2147483647.0L) return 0;
  return static_cast<int32_t>(std::trunc(r));
}

}  // namespace vestil
