#pragma once
// Source text handling shared by the compiler and the lister: the UTF-8 <->
// Windows-1252 conversion, the compile-time byte escape \x{HH} and the
// character classes the source syntax is built on.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1252.h"

namespace vestcomp {

// One byte of a decoded source line. Bytes written as \x{HH} are "escaped":
// they are plain data and never take part in the source syntax (they are not
// quotes, blanks, parentheses, "@", ":" ...).
struct Unit {
  uint8_t byte;
  bool escaped;
  int column;  // 1-based, in characters of the source line
};
using Units = std::vector<Unit>;

// Converts one UTF-8 source line to Windows-1252 and decodes the \x{HH}
// escapes. Returns false with a message when the text is not valid UTF-8, a
// character has no Windows-1252 form (the C1 controls among them), or an
// escape is malformed.
bool DecodeSourceLine(std::string_view utf8, Units& out, std::string& error);

// The Windows-1252 byte as UTF-8 (the lister escapes the five bytes without a
// character of their own before it gets here).
using vestil::AppendCp1252AsUtf8;
using vestil::Cp1252ToUtf8;

// "\x{HH}" with upper-case hex digits.
std::string EscapeByte(uint8_t byte);

// Bytes the lister never writes as themselves: control characters, DEL, the
// five bytes without a Windows-1252 character, no-break space and soft hyphen.
bool AlwaysEscaped(uint8_t byte);

inline bool IsBlank(uint8_t b) { return b == ' ' || b == '\t'; }
inline bool IsAsciiLetter(uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }
inline bool IsDigit(uint8_t b) { return b >= '0' && b <= '9'; }
inline bool IsKindChar(uint8_t b) { return b == '%' || b == '&' || b == '!' || b == '$'; }
// Characters that continue a variable or system-variable name: a kind
// character right after one of them does not start a system variable.
bool IsNameChar(uint8_t b);
// Letters of identifiers (procedure and function names): ASCII and Latin-1
// letters.
bool IsIdentStart(uint8_t b);
bool IsIdentChar(uint8_t b);

// Upper-casing of names: ASCII and the Windows-1252 letters.
uint8_t UpperByte(uint8_t b);
std::string Upper(std::string_view s);

// The bytes of units [begin, end).
std::string UnitBytes(const Units& u, size_t begin, size_t end);

}  // namespace vestcomp
