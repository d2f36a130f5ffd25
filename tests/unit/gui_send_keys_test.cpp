// The keys @SENDKEYS types each character with (German keyboard layout).
#include <gtest/gtest.h>

#include <string>

#include "gui/window_functions.h"

namespace vestil {
namespace {

std::string Keys(std::string_view text) {
  std::string out;
  for (char c : text) {
    const std::optional<TypedKey> k = KeyForCharacter(static_cast<uint8_t>(c));
    if (!k) continue;
    if (!out.empty()) out.push_back(' ');
    if (k->shifted) out.push_back('^');
    out.append(std::to_string(k->virtual_key));
  }
  return out;
}

TEST(SendKeys, LettersDigitsAndShiftedSigns) {
  EXPECT_EQ(Keys("Ab1!"), "^65 66 49 ^49");
  EXPECT_EQ(Keys("az AZ 09"), "65 90 32 ^65 ^90 32 48 57");
  EXPECT_EQ(Keys("#+,-.<"), "191 187 188 189 190 226");
  EXPECT_EQ(Keys("'*:;_>?="), "^191 ^187 ^190 ^188 ^189 ^226 ^219 ^48");
  EXPECT_EQ(Keys("$%&/()"), "^52 ^53 ^54 ^55 ^56 ^57");
}

TEST(SendKeys, ControlCodesAndUmlauts) {
  EXPECT_EQ(Keys("\x08\x09\x0d\x12"), "8 9 13 18");
  // Windows-1252: sharp s, a/o/u umlaut, their capitals, the section sign.
  EXPECT_EQ(Keys("\xdf\xe4\xf6\xfc"), "219 222 192 186");
  EXPECT_EQ(Keys("\xc4\xd6\xdc\xa7"), "^222 ^192 ^186 ^51");
}

TEST(SendKeys, CharactersWithoutAKeyAreSkipped) {
  EXPECT_EQ(Keys("\"@[]{}\\~\x0a\x01\xe9"), "");
  EXPECT_EQ(Keys("x\"y"), "88 89");
}

}  // namespace
}  // namespace vestil
