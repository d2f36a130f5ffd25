// Number-to-text rules shared by the text views, PRINT and the conversions.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "values/value.h"

namespace vestil {
namespace {

ShortString PadLeft(std::string_view digits, int width) {
  ShortString s;
  for (int n = static_cast<int>(digits.size()); n < width && s.size() < ShortString::kMax; ++n) s.push_back(' ');
  s.append(digits);
  return s;
}

// Rounds the digit string (no sign, with or without ".") up by one unit in its
// last place.
void RoundUp(std::string& s) {
  int i = static_cast<int>(s.size()) - 1;
  for (; i >= 0; --i) {
    if (s[i] == '.') continue;
    if (s[i] == '9') {
      s[i] = '0';
    } else {
      ++s[i];
      return;
    }
  }
  s.insert(s.begin(), '1');
}

// Fixed-point text of |v| with `decimals` places, halfway cases rounded away
// from zero on the exact binary value.
std::string FixedAbs(double a, int decimals) {
  const int extra = 25;
  std::string wide(512 + decimals + extra, '\0');
  int n = std::snprintf(wide.data(), wide.size(), "%.*f", decimals + extra, a);
  wide.resize(n);
  size_t point = wide.find('.');
  std::string head = wide.substr(0, point + (decimals > 0 ? 1 + decimals : 0));
  std::string_view tail(wide.data() + point + 1 + decimals, extra);
  bool up;
  if (tail[0] == '5' && tail.find_first_not_of('0', 1) == std::string_view::npos) {
    // Possibly an exact halfway case: decide on the exact expansion.
    std::string exact(1400, '\0');
    int m = std::snprintf(exact.data(), exact.size(), "%.1100f", a);
    exact.resize(m);
    std::string_view rest(exact.data() + exact.find('.') + 1 + decimals);
    up = rest[0] >= '5';
  } else {
    up = tail[0] >= '5';
  }
  if (up) RoundUp(head);
  return head;
}

}  // namespace

ShortString FormatInteger(int32_t v, int width) {
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%d", v);
  return PadLeft(std::string_view(buf, n), width);
}

ShortString FormatFloat(double v, int decimals, int width) {
  std::string s;
  if (std::isnan(v) || std::isinf(v)) {
    s = std::isnan(v) ? "NAN" : (v < 0 ? "-INF" : "INF");
  } else if (decimals < 0) {
    // Scientific notation: one digit, the point, ten digits, E, sign and at
    // least two exponent digits (3.1415926536E+00).
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.10E", v);
    s.assign(buf, n);
  } else {
    if (decimals > 300) decimals = 300;
    s = FixedAbs(std::fabs(v), decimals);
    if (v < 0) s.insert(s.begin(), '-');
  }
  return PadLeft(s, width);
}

}  // namespace vestil
