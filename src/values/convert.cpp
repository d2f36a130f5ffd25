// Number and text conversions: the integer and float readings of a text,
// @STR$, @VAL, @FORMAT$ and the code-page
// conversions @ANSITOOEM$ and @OEMTOANSI$.
#include "values/convert.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/tokens.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"
#include "values/value.h"

namespace vestil {

bool TextToInt(std::string_view t, int32_t& value, bool* overflow) {
  size_t i = 0;
  const size_t n = t.size();
  if (overflow) *overflow = false;
  value = 0;
  while (i < n && t[i] == ' ') ++i;
  bool neg = false;
  if (i < n && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
  int64_t v = 0;
  const int64_t limit = neg ? 2147483648LL : 2147483647LL;
  bool any = false;
  if (i < n && t[i] == '$') {
    ++i;
    for (; i < n; ++i) {
      int d;
      char c = t[i];
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      // Hexadecimal digits fill the 32 bits: $FFFFFFFF reads as -1.
      if (v * 16 + d > 0xFFFFFFFFLL) {
        if (overflow) *overflow = true;
        break;
      }
      v = v * 16 + d;
      any = true;
    }
    int32_t r = static_cast<int32_t>(static_cast<uint32_t>(v));
    value = neg ? static_cast<int32_t>(0u - static_cast<uint32_t>(r)) : r;
    return any && i == n;
  }
  for (; i < n; ++i) {
    char c = t[i];
    if (c < '0' || c > '9') break;
    if (v * 10 + (c - '0') > limit) {
      if (overflow) *overflow = true;
      break;
    }
    v = v * 10 + (c - '0');
    any = true;
  }
  value = static_cast<int32_t>(neg ? -v : v);
  return any && i == n;
}

bool TextToFloat(std::string_view t, double& value) {
  size_t i = 0;
  const size_t n = t.size();
  while (i < n && t[i] == ' ') ++i;
  size_t start = i;
  if (i < n && (t[i] == '-' || t[i] == '+')) ++i;
  if (i >= n) {
    value = 0;
    return false;
  }
  size_t digits = 0;
  while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < n && t[i] == '.') {
    ++i;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (i < n && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    if (i < n && (t[i] == '-' || t[i] == '+')) ++i;
    size_t ed = 0;
    while (i < n && t[i] >= '0' && t[i] <= '9') ++i, ++ed;
    if (ed == 0) {
      value = 0;
      return false;
    }
  }
  if (i != n) {
    value = 0;
    return false;
  }
  if (digits == 0) {  // "." alone and "-." read as 0
    value = 0;
    return true;
  }
  // Short texts without an exponent: the digits and the power of ten are
  // exact doubles, so one division rounds correctly.
  if (digits <= 15 && t.find_first_of("Ee", start) == std::string_view::npos) {
    static const double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                    1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    int64_t m = 0;
    int frac = -1;
    bool neg = false;
    for (size_t k = start; k < n; ++k) {
      char c = t[k];
      if (c == '-') neg = true;
      else if (c == '.') frac = 0;
      else if (c >= '0' && c <= '9') {
        m = m * 10 + (c - '0');
        if (frac >= 0) ++frac;
      }
    }
    double v = static_cast<double>(m);
    if (frac > 0) v /= kPow10[frac];
    value = neg ? -v : v;
    return true;
  }
  // strtod reads the same grammar.
  std::string s(t.substr(start));
  errno = 0;
  value = std::strtod(s.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value)) {
    value = 0;
    return false;
  }
  return true;
}

namespace {

// A number as decimal digits: value = 0.d1d2d3... x 10^exponent. The digits
// have no trailing zeros; no digits at all means zero.
struct Decimal {
  bool negative = false;
  int exponent = 0;
  std::string digits;
};

constexpr int kNoDecimalLimit = 9999;

// The digits of v rounded to `precision` significant digits (at most 18), then
// to `decimals` places after the point (halfway cases upward).
Decimal ToDecimal(double v, int precision, int decimals) {
  Decimal d;
  d.negative = std::signbit(v);
  double a = std::fabs(v);
  if (a == 0) return d;
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*e", precision - 1, a);
  std::string s(buf);
  size_t e = s.find('e');
  d.exponent = std::atoi(s.c_str() + e + 1) + 1;
  for (size_t i = 0; i < e; ++i)
    if (s[i] != '.') d.digits.push_back(s[i]);
  if (decimals < kNoDecimalLimit) {
    long keep = static_cast<long>(d.exponent) + decimals;
    if (keep < static_cast<long>(d.digits.size())) {
      if (keep < 0) {
        d.digits.clear();
      } else {
        bool up = d.digits[keep] >= '5';
        d.digits.resize(keep);
        if (up) {
          long i = keep - 1;
          while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
          if (i >= 0) {
            ++d.digits[i];
          } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
          }
        }
      }
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
  return d;
}

// The general form used when no picture applies: 15 significant digits, plain
// notation unless the number needs more than 15 integer digits or is below
// 0.0001 ("1E20", "1.5E-7").
std::string GeneralFormat(double v, std::string_view dec) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
  Decimal d = ToDecimal(v, 15, kNoDecimalLimit);
  if (d.digits.empty()) return "0";
  std::string out = d.negative ? "-" : "";
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > 15 || d.exponent < -3) {
    out += d.digits[0];
    if (n > 1) {
      out += dec;
      out += d.digits.substr(1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
  } else if (d.exponent <= 0) {
    out += '0';
    out += dec;
    out.append(static_cast<size_t>(-d.exponent), '0');
    out += d.digits;
  } else {
    out += d.digits.substr(0, std::min(n, d.exponent));
    if (n < d.exponent) out.append(static_cast<size_t>(d.exponent - n), '0');
    if (n > d.exponent) {
      out += dec;
      out += d.digits.substr(d.exponent);
    }
  }
  return out;
}

// Skips a quoted literal starting at s[i]; returns the index of its closing
// quote (or the end).
size_t SkipQuoted(std::string_view s, size_t i) {
  char q = s[i++];
  while (i < s.size() && s[i] != q) ++i;
  return i;
}

// The sections of a picture, separated by ";" outside quotes; at most three.
std::vector<std::string_view> Sections(std::string_view f) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '"' || f[i] == '\'') {
      i = SkipQuoted(f, i);
    } else if (f[i] == ';') {
      out.push_back(f.substr(start, i - start));
      start = i + 1;
      if (out.size() == 3) return out;
    }
  }
  out.push_back(f.substr(start));
  return out;
}

struct Picture {
  int digit_count = 0;     // placeholders in all
  int decimal_index = -1;  // placeholders before the decimal separator
  int first_digit = 0;     // integer places that always show a digit
  int last_digit = 0;      // minus the decimal places that always show one
  bool thousands = false;
  bool scientific = false;
};

Picture ScanSection(std::string_view s) {
  Picture p;
  int first = 32767, last = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    switch (c) {
      case '#': ++p.digit_count; break;
      case '0':
        if (p.digit_count < first) first = p.digit_count;
        ++p.digit_count;
        last = p.digit_count;
        break;
      case '.':
        if (p.decimal_index < 0) p.decimal_index = p.digit_count;
        break;
      case ',': p.thousands = true; break;
      case '"':
      case '\'': i = SkipQuoted(s, i); break;
      case 'E':
      case 'e':
        if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
          p.scientific = true;
          ++i;
          while (i + 1 < s.size() && s[i + 1] == '0') ++i;
        }
        break;
      default: break;
    }
  }
  if (p.decimal_index < 0) p.decimal_index = p.digit_count;
  p.last_digit = p.decimal_index - last;
  if (p.last_digit > 0) p.last_digit = 0;
  p.first_digit = p.decimal_index - first;
  if (p.first_digit < 0) p.first_digit = 0;
  // Grouping belongs to plain notation only.
  if (p.scientific) p.thousands = false;
  return p;
}

class PictureWriter {
 public:
  PictureWriter(const Picture& p, const Decimal& d, std::string_view dec, std::string_view thou)
      : p_(p), d_(d), dec_(dec), thou_(thou) {
    if (p.scientific) {
      place_ = p.decimal_index;
      delta_ = 0;
      exponent_ = d.digits.empty() ? 0 : d.exponent - p.decimal_index;
    } else {
      delta_ = d.exponent - p.decimal_index;
      place_ = delta_ > 0 ? d.exponent : p.decimal_index;
    }
  }

  std::string Write(std::string_view s, bool minus) {
    if (minus) out_ += '-';
    for (size_t i = 0; i < s.size(); ++i) {
      char c = s[i];
      switch (c) {
        case '#':
        case '0': Placeholder(); break;
        case '.':
        case ',': break;
        case '"':
        case '\'': {
          size_t end = SkipQuoted(s, i);
          out_.append(s.substr(i + 1, end - i - 1));
          i = end;
          break;
        }
        case 'E':
        case 'e':
          if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
            out_ += c;
            char sign = s[++i];
            int zeros = 0;
            while (i + 1 < s.size() && s[i + 1] == '0') ++i, ++zeros;
            if (exponent_ < 0) out_ += '-';
            else if (sign == '+') out_ += '+';
            std::string digits = std::to_string(exponent_ < 0 ? -exponent_ : exponent_);
            if (zeros > 4) zeros = 4;
            if (static_cast<int>(digits.size()) < zeros) out_.append(zeros - digits.size(), '0');
            out_ += digits;
          } else {
            out_ += c;
          }
          break;
        default: out_ += c; break;
      }
    }
    return out_;
  }

 private:
  void Placeholder() {
    if (delta_ < 0) {
      ++delta_;
      if (place_ <= p_.first_digit) Digit(true);
      else --place_;
    } else {
      while (delta_ > 0) {
        Digit(false);
        --delta_;
      }
      Digit(false);
    }
  }

  // Writes the next digit (a "0" once the digits are used up), with the
  // decimal separator before the first decimal place and the thousands
  // separator after every third integer place.
  void Digit(bool zero) {
    char ch = '0';
    if (!zero) {
      if (next_ < d_.digits.size()) {
        ch = d_.digits[next_++];
      } else if (place_ <= p_.last_digit) {
        --place_;  // a "#" after the point with nothing left to show
        return;
      }
    }
    if (place_ == 0) out_ += dec_;
    out_ += ch;
    --place_;
    if (p_.thousands && place_ > 0 && place_ % 3 == 0) out_ += thou_;
  }

  const Picture& p_;
  const Decimal& d_;
  std::string_view dec_, thou_;
  std::string out_;
  int place_ = 0, delta_ = 0, exponent_ = 0;
  size_t next_ = 0;
};

}  // namespace

ShortString FormatPicture(std::string_view format, double value, std::string_view dec, std::string_view thou) {
  if (format.size() >= kMaxPictureLength) return ShortString();
  if (std::isnan(value) || std::isinf(value)) return ShortString(GeneralFormat(value, dec));
  const auto sections = Sections(format);
  auto usable = [&](int s) { return s < static_cast<int>(sections.size()) && !sections[s].empty(); };
  int sec = value > 0 ? 0 : value < 0 ? 1 : 2;
  if (!usable(sec)) sec = 0;
  if (!usable(sec)) return ShortString(GeneralFormat(value, dec));
  Picture p = ScanSection(sections[sec]);
  Decimal d = p.scientific ? ToDecimal(value, p.digit_count, kNoDecimalLimit)
                           : ToDecimal(value, 18, p.digit_count - p.decimal_index);
  if (!p.scientific && d.exponent > 18) return ShortString(GeneralFormat(value, dec));
  if (d.digits.empty() && sec != 2) {
    // A value that rounds to zero is written as zero: by the zero section if
    // there is one, else by the first, and without a sign.
    sec = usable(2) ? 2 : 0;
    p = ScanSection(sections[sec]);
  }
  const bool minus = sec == 0 && value < 0 && !d.digits.empty();
  return ShortString(PictureWriter(p, d, dec, thou).Write(sections[sec], minus));
}

namespace {

// The text of the argument just evaluated; a number gives its text as a
// variable of its kind would show it.
ShortString ArgumentText(Runtime& rt) {
  const auto& rr = rt.eval.rr;
  if (rr.type == kTypeString) return rr.text();
  if (rr.type == kTypeFloat) return FormatFloat(rr.f, rt.format.decimal_places, 0);
  return FormatInteger(rr.l, 0);
}

// @STR$: a float in fixed-point (or, with negative DecimalPlaces, scientific)
// notation, everything else through its long view; right-aligned in
// NumberWidth. The decimal separator is always ".".
void Str(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  const auto& rr = rt.eval.rr;
  if (rr.type == kTypeFloat) return TextResult(rt, ctx, FormatFloat(rr.f, rt.format.decimal_places, rt.format.number_width));
  int32_t v = rr.l;
  if (rr.type == kTypeString) TextToInt(rr.text(), v);
  TextResult(rt, ctx, FormatInteger(v, rt.format.number_width));
}

// @VAL: type 4 when the trimmed text holds ".", else 3; failures give 0.
void Val(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  ShortString s = ArgumentText(rt);
  std::string_view t = TrimView(s);
  auto& rr = rt.eval.rr;
  int32_t v = 0;
  TextToInt(t, v);
  rr.l = v;
  if (t.find('.') != std::string_view::npos) {
    double f = 0;
    TextToFloat(t, f);
    rr.f = f;
    rr.type = kTypeFloat;
  } else {
    rr.type = kTypeLong;
  }
  ctx.handled = true;
}

void Format(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kTextDemand);
  ShortString format = rt.eval.rr.text();
  EvalArg(rt, ')', kAnyType);
  const auto& rr = rt.eval.rr;
  double x = rr.f;
  if (rr.type == kTypeString) TextToFloat(TrimView(rr.text()), x);
  const auto& c = rt.conversion;
  TextResult(rt, ctx, FormatPicture(format, x, c.decimal_separator, c.thousands_separator));
}

// The text up to its first zero byte, as the platform's conversion sees it.
std::string UpToZero(const ShortString& s) {
  std::string_view v = s.view();
  return std::string(v.substr(0, v.find('\0')));
}

void AnsiToOem(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  std::string s = UpToZero(rt.eval.rr.text());
  if (!rt.host.locale->ConvertAnsiToOem(s)) s = AnsiToOem850(s);
  TextResult(rt, ctx, s);
}

void OemToAnsi(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  std::string s = UpToZero(rt.eval.rr.text());
  if (!rt.host.locale->ConvertOemToAnsi(s)) s = Oem850ToAnsi(s);
  TextResult(rt, ctx, s);
}

}  // namespace

void RegisterConversionFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kStr] = Str;
  f[fn::kVal] = Val;
  f[fn::kFormat] = Format;
  f[fn::kAnsiToOem] = AnsiToOem;
  f[fn::kOemToAnsi] = OemToAnsi;
  // The regional separators count from program start.
  rt.host.locale->NumberSeparators(rt.conversion.decimal_separator, rt.conversion.thousands_separator);
}

}  // namespace vestil
