#pragma once
// Number and text conversions, the code-page conversions, text scrambling and
// the hardware port functions.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/shortstring.h"

namespace vestil {

struct Runtime;

struct ConversionState {
  // The separators that @FORMAT$ writes: those of the user's regional
  // settings, read once at program start. The thousands separator may be
  // empty (no grouping character).
  std::string decimal_separator = ".";
  std::string thousands_separator = ",";
  // SCRAMBLEKEY: exactly 255 bytes when set, empty otherwise.
  ShortString scramble_key;
};

// Integer conversion of a text: blanks, sign, decimal digits or "$" and hex
// digits. Returns true when the whole text was used; value holds what was read
// before the stop. overflow tells that the stop was a digit that did not fit.
bool TextToInt(std::string_view text, int32_t& value, bool* overflow = nullptr);
// Float conversion of a text; the decimal separator is always ".".
bool TextToFloat(std::string_view text, double& value);

// The picture format of @FORMAT$: "0" and "#" digit placeholders, the first
// "." for the decimal separator, "," for thousands grouping, "E+" "E-" "e+"
// "e-" with up to four "0" for scientific notation, quoted literals, and up to
// three sections separated by ";" (positive; negative; zero). A format of
// kMaxPictureLength characters or more gives the empty text.
constexpr size_t kMaxPictureLength = 225;
ShortString FormatPicture(std::string_view format, double value, std::string_view decimal_separator,
                          std::string_view thousands_separator);

// Windows-1252 <-> code page 850 (the German OEM code page), character by
// character; characters without a counterpart become their nearest fit.
std::string AnsiToOem850(std::string_view text);
std::string Oem850ToAnsi(std::string_view text);

// SCRAMBLEKEY: each byte's two low bits become the two high bits, repeated to
// 255 bytes; the empty key gives the empty text (scrambling off).
ShortString MakeScrambleKey(std::string_view key);
// @SCRAMBLE$: flips the two high bits of each character by the key, used from
// its last byte backwards. Applying it twice returns the original text.
ShortString Scramble(std::string_view text, const ShortString& key);

void RegisterConversionFunctions(Runtime& rt);
// SCRAMBLEKEY and @SCRAMBLE$ (scramble.cpp).
void RegisterScrambling(Runtime& rt);

}  // namespace vestil
