#pragma once
// Windows-1252, the character set of the runtime: the character of each byte
// and back, and the UTF-8 conversions for text that crosses to the terminal
// or comes from source files.
//
// The five bytes Windows-1252 leaves without a character (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) are written as the C1 control characters of the same number
// (U+0081 ...), so that no byte is lost on the way out; no character reads
// back as one of them: the C1 controls have no Windows-1252 form (the terminal
// reads them as "?", the compiler rejects them in source text).
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

// The Unicode character of a Windows-1252 byte (a C1 control for the five
// bytes without a character).
char32_t Cp1252ToUnicode(uint8_t byte);
// The Windows-1252 byte of a Unicode character, -1 when it has none (every
// C1 control among them).
int UnicodeToCp1252(char32_t c);
// The five bytes without a Windows-1252 character of their own.
inline bool Cp1252Undefined(uint8_t byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

void AppendCp1252AsUtf8(uint8_t byte, std::string& out);
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 code become "?"; bytes that are not valid
// UTF-8 are taken as Windows-1252 as they stand.
std::string Utf8ToCp1252(std::string_view text);

}  // namespace vestil
