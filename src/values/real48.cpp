// The 48-bit real format: rounding an extended value to 40 significant bits,
// and float to long conversion.
#include "values/real48.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vestil {

namespace {

// The rounding by frexp and ldexp, for any long double format.
bool ToReal48Generic(Extended x, Extended& out) {
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

}  // namespace

bool ToReal48(Extended x, Extended& out) {
  // Whole numbers of up to 39 bits are exact in the format.
  if (x >= -549755813888.0L && x <= 549755813888.0L) {
    const int64_t n = static_cast<int64_t>(x);
    if (static_cast<Extended>(n) == x) {
      out = static_cast<Extended>(n);
      return true;
    }
  }
#if LDBL_MANT_DIG == 64 && defined(__x86_64__) || LDBL_MANT_DIG == 64 && defined(__i386__)
  // The x87 extended format: 64-bit mantissa with its integer bit, then
  // sign and 15-bit exponent (bias 16383). Keep the top 40 mantissa bits,
  // rounding halfway cases away from zero.
  unsigned char raw[sizeof(Extended)];
  std::memcpy(raw, &x, sizeof(Extended));
  uint64_t mant;
  uint16_t se;
  std::memcpy(&mant, raw, 8);
  std::memcpy(&se, raw + 8, 2);
  int exp = se & 0x7fff;
  if (exp == 0 || exp == 0x7fff || !(mant >> 63)) return ToReal48Generic(x, out);  // zero, denormal, inf, nan
  uint64_t rounded = mant + (uint64_t{1} << 23);
  if (rounded < mant) {  // the rounding carried out of the mantissa
    rounded = uint64_t{1} << 63;
    ++exp;
  } else {
    rounded &= ~((uint64_t{1} << 24) - 1);
  }
  // The 48-bit real holds 2^-128 <= |value| < 2^127: the unbiased exponent
  // (value = 1.f * 2^e) lies in -128..126.
  int e = exp - 16383;
  if (e < -128) {
    out = 0;
    return true;
  }
  if (e > 126) {
    out = 0;
    return false;
  }
  se = static_cast<uint16_t>((se & 0x8000) | exp);
  std::memcpy(raw, &rounded, 8);
  std::memcpy(raw + 8, &se, 2);
  std::memcpy(&out, raw, sizeof(Extended));
  return true;
#else
  return ToReal48Generic(x, out);
#endif
}

int32_t FloatToLong(Extended x) {
  Extended r;
  if (!ToReal48(x, r)) return 0;
  if (std::fabs(r) > 2147483647.0L) return 0;
  return static_cast<int32_t>(std::trunc(r));
}

}  // namespace vestil
