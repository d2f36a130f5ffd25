#include "base/cp1252.h"

#include <cstdint>

namespace vestil {
namespace {

// 0x80..0x9F; the five codes Windows leaves undefined map to the C1 controls.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ToUnicode(uint8_t b) { return (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : b; }

int FromUnicode(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  return -1;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    char32_t c = ToUnicode(static_cast<uint8_t>(ch));
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    uint8_t b = static_cast<uint8_t>(text[i]);
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    char32_t c = 0;
    bool ok = len > 0 && i + len <= text.size();
    if (ok) {
      c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
      for (int k = 1; k < len && ok; ++k) {
        uint8_t cb = static_cast<uint8_t>(text[i + k]);
        ok = (cb & 0xC0) == 0x80;
        c = (c << 6) | (cb & 0x3F);
      }
    }
    if (!ok) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    int code = FromUnicode(c);
    out.push_back(code < 0 ? '?' : static_cast<char>(code));
    i += len;
  }
  return out;
}

}  // namespace vestil
