// Text helpers of the evaluator and the number-to-text rules.
#include <gtest/gtest.h>

#include "base/tokens.h"
#include "values/convert.h"
#include "values/eval.h"
#include "values/value.h"

namespace vestil {
namespace {

TEST(FindSeparator, SkipsQuotesAndParentheses) {
  EXPECT_EQ(FindSeparator(',', "a,b"), 2u);
  EXPECT_EQ(FindSeparator(',', "\"a,b\",c"), 6u);
  EXPECT_EQ(FindSeparator(',', "(a,b),c"), 6u);
  EXPECT_EQ(FindSeparator(')', "a)b,c"), 2u);  // compared before the depth changes
  EXPECT_EQ(FindSeparator(',', "),x"), 0u);     // a closing ")" hides what follows
  EXPECT_EQ(FindSeparator(',', "\"abc,"), 0u);  // an open quote runs to the end
  EXPECT_EQ(FindSeparator(',', ""), 0u);
  EXPECT_EQ(FindSeparator(':', "@\x8a\"a:\",1):x"), 0u);
}

TEST(ReplaceAll, DoesNotRescanInsertedText) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b").view(), "ba");
  EXPECT_EQ(ReplaceAll("aa", "a", "aa").view(), "aaaa");
  EXPECT_EQ(ReplaceAll(std::string(200, 'x'), "x", "yy").size(), 255u);
}

TEST(TextToInt, DecimalHexAndLimits) {
  int32_t v;
  EXPECT_TRUE(TextToInt("-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  bool overflow = false;
  EXPECT_FALSE(TextToInt("2147483648", v, &overflow));
  EXPECT_TRUE(overflow);
  EXPECT_EQ(v, 214748364);
  EXPECT_TRUE(TextToInt("$ff", v));
  EXPECT_EQ(v, 255);
  EXPECT_TRUE(TextToInt("$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(TextToInt("  +12", v));
  EXPECT_EQ(v, 12);
  EXPECT_FALSE(TextToInt("12 ", v));
  EXPECT_EQ(v, 12);
  EXPECT_FALSE(TextToInt("1E5", v));
  EXPECT_EQ(v, 1);
  EXPECT_FALSE(TextToInt("", v));
  EXPECT_FALSE(TextToInt("-", v));
}

TEST(TextToFloat, Grammar) {
  double f;
  EXPECT_TRUE(TextToFloat("1E5", f));
  EXPECT_EQ(f, 100000.0);
  EXPECT_TRUE(TextToFloat(".", f));
  EXPECT_EQ(f, 0.0);
  EXPECT_TRUE(TextToFloat("-.5", f));
  EXPECT_EQ(f, -0.5);
  EXPECT_TRUE(TextToFloat(" 2.5e-3", f));
  EXPECT_EQ(f, 0.0025);
  EXPECT_FALSE(TextToFloat("1e", f));
  EXPECT_FALSE(TextToFloat("1.5x", f));
  EXPECT_FALSE(TextToFloat("", f));
  EXPECT_FALSE(TextToFloat("+", f));
  EXPECT_FALSE(TextToFloat("1,5", f));
  EXPECT_FALSE(TextToFloat("1e999", f));
}

TEST(NumberText, FixedScientificAndWidth) {
  EXPECT_EQ(FormatFloat(3.14159, 2, 8).view(), "    3.14");
  EXPECT_EQ(FormatFloat(2.5, 0, 0).view(), "3");
  EXPECT_EQ(FormatFloat(-0.5, 0, 0).view(), "-1");
  EXPECT_EQ(FormatFloat(0.125, 2, 0).view(), "0.13");
  EXPECT_EQ(FormatFloat(0.1 + 0.2, 1, 0).view(), "0.3");
  EXPECT_EQ(FormatFloat(1.005, 2, 0).view(), "1.00");  // 1.005 lies below the halfway point
  EXPECT_EQ(FormatFloat(999.9996, 3, 0).view(), "1000.000");
  EXPECT_EQ(FormatFloat(1e-7, 6, 0).view(), "0.000000");
  EXPECT_EQ(FormatFloat(2147483648.0, 6, 0).view(), "2147483648.000000");
  EXPECT_EQ(FormatFloat(3.14159265358979, -1, 0).view(), "3.1415926536E+00");
  EXPECT_EQ(FormatFloat(-12345.678, -1, 0).view(), "-1.2345678000E+04");
  EXPECT_EQ(FormatFloat(1e300, 6, 0).size(), 255u);
  EXPECT_EQ(FormatInteger(-42, 6).view(), "   -42");
  EXPECT_EQ(FormatInteger(123456, 3).view(), "123456");
}

TEST(TokenTables, EveryStatementTokenIsNamedOnce) {
  for (int t = 0x27; t <= 0xfe; ++t) {
    bool gap = (t >= 0x28 && t <= 0x3f) || (t >= 0x41 && t <= 0x48);
    EXPECT_EQ(CommandName(static_cast<uint8_t>(t)) != nullptr, !gap) << std::hex << t;
    EXPECT_EQ(CommandHasHandler(static_cast<uint8_t>(t)), !gap) << std::hex << t;
  }
  EXPECT_FALSE(CommandHasHandler(0xff));
  EXPECT_EQ(CommandTokenOf("WEND"), 0x8a);
  EXPECT_STREQ(CommandName(0x8a), "ENDWHILE");
  int builtins = 0;
  for (int t = 0; t < 256; ++t) builtins += FunctionIsBuiltIn(static_cast<uint8_t>(t));
  EXPECT_EQ(builtins, 189);
  for (uint8_t t : {0x60, 0x61, 0xbb, 0xd9, 0xda}) EXPECT_FALSE(FunctionIsBuiltIn(t));
  int sysvars = 0;
  for (int t = 0; t < 256; ++t) sysvars += SysVarName(static_cast<uint8_t>(t)) != nullptr;
  EXPECT_EQ(sysvars, 68);
  EXPECT_EQ(SysVarTokenOf("$VERSION"), 0xc4);
  EXPECT_EQ(FunctionTokenOf("ADD"), 0x81);
}

}  // namespace
}  // namespace vestil
