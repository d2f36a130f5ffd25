// Windows-1252: the character of each byte, and the conversions to and from UTF-8.
#include "base/cp1252.h"

namespace vestil {
namespace {

// The characters of 0x80..0x9F; 0 marks the five bytes without one.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

char32_t Cp1252ToUnicode(uint8_t b) {
  if (b < 0x80 || b >= 0xA0 || kHigh[b - 0x80] == 0) return b;
  return kHigh[b - 0x80];
}

int UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] != 0 && kHigh[i] == c) return 0x80 + i;
  return -1;
}

void AppendCp1252AsUtf8(uint8_t byte, std::string& out) {
  char32_t c = Cp1252ToUnicode(byte);
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

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) AppendCp1252AsUtf8(static_cast<uint8_t>(ch), out);
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
    int code = UnicodeToCp1252(c);
    out.push_back(code < 0 ? '?' : static_cast<char>(code));
    i += len;
  }
  return out;
}

}  // namespace vestil
