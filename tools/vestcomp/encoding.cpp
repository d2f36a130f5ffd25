// Source text handling shared by the compiler and the lister: UTF-8 and
// Windows-1252, byte escapes, character classes.
#include "vestcomp/encoding.h"

#include <cstdio>

namespace vestcomp {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one UTF-8 sequence at s[i]; returns the code point or -1.
long NextCodePoint(std::string_view s, size_t& i) {
  auto b0 = static_cast<uint8_t>(s[i]);
  if (b0 < 0x80) { ++i; return b0; }
  int n;
  long cp;
  if ((b0 & 0xE0) == 0xC0) { n = 1; cp = b0 & 0x1F; }
  else if ((b0 & 0xF0) == 0xE0) { n = 2; cp = b0 & 0x0F; }
  else if ((b0 & 0xF8) == 0xF0) { n = 3; cp = b0 & 0x07; }
  else return -1;
  if (i + n >= s.size()) return -1;
  for (int k = 1; k <= n; ++k) {
    auto b = static_cast<uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b & 0x3F);
  }
  static const long kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  i += static_cast<size_t>(n) + 1;
  return cp;
}

std::string CodePointName(long cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04lX", cp);
  return buf;
}

}  // namespace

bool DecodeSourceLine(std::string_view s, Units& out, std::string& error) {
  out.clear();
  size_t i = 0;
  int column = 1;
  while (i < s.size()) {
    if (s[i] == '\\' && s.substr(i, 3) == "\\x{") {
      if (i + 6 > s.size() || s[i + 5] != '}' || HexValue(s[i + 3]) < 0 || HexValue(s[i + 4]) < 0) {
        error = "malformed escape (write \\x{HH} with two hex digits; \\x{5C} is a backslash)";
        return false;
      }
      out.push_back({static_cast<uint8_t>(HexValue(s[i + 3]) * 16 + HexValue(s[i + 4])), true, column});
      i += 6;
      column += 6;
      continue;
    }
    long cp = NextCodePoint(s, i);
    if (cp < 0) {
      error = "the text is not valid UTF-8";
      return false;
    }
    int b = vestil::UnicodeToCp1252(static_cast<char32_t>(cp));
    if (b < 0) {
      error = "character " + CodePointName(cp) + " has no Windows-1252 form (write the byte as \\x{HH})";
      return false;
    }
    out.push_back({static_cast<uint8_t>(b), false, column++});
  }
  return true;
}

std::string EscapeByte(uint8_t b) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s = "\\x{";
  s += kHex[b >> 4];
  s += kHex[b & 15];
  s += '}';
  return s;
}

bool AlwaysEscaped(uint8_t b) {
  if (b < 0x20 || b == 0x7F || b == 0xA0 || b == 0xAD) return true;
  return vestil::Cp1252Undefined(b);
}

bool IsNameChar(uint8_t b) {
  return IsAsciiLetter(b) || IsDigit(b) || b == '_' || b == '.' || b == '#' || IsKindChar(b) || b >= 0x80;
}

bool IsIdentStart(uint8_t b) {
  return IsAsciiLetter(b) || b == '_' || (b >= 0xC0 && b != 0xD7 && b != 0xF7) || b == 0x8A ||
         b == 0x8C || b == 0x8E || b == 0x9A || b == 0x9C || b == 0x9E || b == 0x9F;
}

bool IsIdentChar(uint8_t b) { return IsIdentStart(b) || IsDigit(b); }

uint8_t UpperByte(uint8_t b) {
  if (b >= 'a' && b <= 'z') return static_cast<uint8_t>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<uint8_t>(b - 32);
  switch (b) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return b;
  }
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(UpperByte(static_cast<uint8_t>(c)));
  return out;
}

std::string UnitBytes(const Units& u, size_t begin, size_t end) {
  std::string s;
  for (size_t i = begin; i < end && i < u.size(); ++i) s += static_cast<char>(u[i].byte);
  return s;
}

}  // namespace vestcomp
