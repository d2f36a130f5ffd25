// The value rules below the statements: pictures, code pages, dates,
// text/number conversions, the 48-bit real and the dispatch tables, each a
// table of edges (rounding, carries, limits, every byte).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/cp1252.h"
#include "base/tokens.h"
#include "core/runtime.h"
#include "data/dates.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"
#include "values/convert.h"
#include "values/eval.h"
#include "values/real48.h"

namespace vestil {
namespace {

TEST(Values, FormatPicture) {
  struct Row { const char* f; double v; const char* want; bool de = false; };
  const Row rows[] = {
      {"0.00", 0.125, "0.13"}, {"0.00", -0.125, "-0.13"}, {"0.00", 1.005, "1.00"}, {"0", 0.5, "1"}, {"0", 0.49, "0"},
      {"0.0", 9.96, "10.0"}, {"#", 99.5, "100"}, {"000.0", 1.25, "001.3"}, {"#.00", 0.5, ".50"},
      {"0.#0#", 1.5, "1.50"}, {"x0y", 7, "x7y"}, {"0..0", 7.25, "7.3"},
      {"#,##0", 999, "999"}, {"#,##0", 1000, "1,000"}, {"#,##0", -1234567, "-1,234,567"}, {"0,", 1234, "1,234"},
      {"#,##0.0000", 1234.5, "1,234.5000"}, {"#,##0.00", 1234567.891, "1.234.567,89", true},
      {"0.00E+00", 0.0001234, "1.23E-04"}, {"0.00E-00", 0.0001234, "1.23E-04"}, {"0.0E+0", 1e20, "1.0E+20"},
      {"0.0E+000000", 5, "5.0E+0000"}, {"00.0E+0", 1234.5, "12.3E+2"}, {"0.00E+00", 9.999, "1.00E+01"},
      {"0.00E+00", -9.999, "-1.00E+01"}, {"0E+0", 0, "0E+0"}, {"0.0E", 5, "5.0E"}, {"0.00e+00", 1234.5, "1,23e+03", true},
      {"#,##0.00;'minus '#,##0.00;\"nichts\"", -1234.5, "minus 1,234.50"},
      {"#,##0.00;'minus '#,##0.00;\"nichts\"", 0.001, "nichts"}, {"0.0;-0.0", -0.01, "0.0"}, {"0;;", -5, "-5"},
      {"'a;b'0;x", 1, "a;b1"}, {"0;x;y;z", 0, "y"}, {"\"0.#\"0", 3, "0.#3"}, {"'open", 3, "open"},
      {"", 1234.5, "1234,5", true}, {"", 0, "0"}, {"", 1.0 / 3, "0.333333333333333"},
      {"", 123456789012345.0, "123456789012345"}, {"", 1234567890123456.0, "1.23456789012346E15"},
      {"", 0.0001, "0.0001"}, {"", -0.000015, "-1.5E-5"}, {"0.00", 1e19, "1E19"},
      {"0", 1e17, "100000000000000000"}, {"0", 1e18, "1E18"}, {"0", INFINITY, "INF"}, {"0", NAN, "NAN"},
      {"0.0000000000000000000000", 0.1, "0.1000000000000000060000"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FormatPicture(r.f, r.v, r.de ? "," : ".", r.de ? "." : ",").str(), r.want) << r.f << " " << r.v;
  auto en = [](const std::string& f) { return FormatPicture(f, 1, ".", ",").str(); };
  EXPECT_EQ(en(std::string(224, '0')).size(), 224u);
  EXPECT_EQ(en(std::string(225, '0')), "");
  EXPECT_EQ(en(std::string(255, '#')), "");
  EXPECT_EQ(en("," + std::string(223, '0')).size(), 255u);  // the result is cut
  EXPECT_EQ(FormatPicture("#,##0", 1234567, ".", "").str(), "1234567");
  EXPECT_EQ(FormatPicture("0", 1.7e38, ".", ",").str().substr(0, 6), "1.7E38");
}

TEST(Values, CodePages) {
  EXPECT_EQ(AnsiToOem850("\xe4\xf6\xfc\xdf\xc4\xd6\xdc\x8a\x80"), "\x84\x94\x81\xe1\x8e\x99\x9aS?");
  EXPECT_EQ(Oem850ToAnsi("\xc9\xcd\xbb\xb3\xb1"), "+=+|#");  // box drawing
  for (int b = 0; b < 256; ++b) {
    const std::string s(1, static_cast<char>(b));
    EXPECT_TRUE(b >= 0x80 || (AnsiToOem850(s) == s && Oem850ToAnsi(s) == s)) << b;
    EXPECT_TRUE(b < 0xa0 || Oem850ToAnsi(AnsiToOem850(s)) == s) << b;
    // The five bytes without a character go out as their C1 control and come back as "?".
    const bool undefined = b == 0x81 || b == 0x8d || b == 0x8f || b == 0x90 || b == 0x9d;
    EXPECT_EQ(Cp1252Undefined(static_cast<uint8_t>(b)), undefined) << b;
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(s)), undefined ? "?" : s) << b;
  }
  EXPECT_EQ(Cp1252ToUtf8("\x81\x80\x9f"), "\xc2\x81\xe2\x82\xac\xc5\xb8");
  EXPECT_EQ(UnicodeToCp1252(0x80), -1);
  EXPECT_EQ(UnicodeToCp1252(0x20ac), 0x80);
  EXPECT_EQ(Utf8ToCp1252("\xe2\x86\x92\xff"), "?\xff");  // no form; not UTF-8: kept
}

// The calendar's limits (1900..2078, two-digit years, the 4000 rule) and the
// date order read from the locale's separator and short date pattern.
TEST(Values, Dates) {
  const int days[][3] = {{2000, 2, 29}, {1900, 2, 28}, {2024, 2, 29}, {4000, 2, 28}, {8000, 2, 28}, {2026, 13, 0}};
  for (auto& d : days) EXPECT_EQ(DaysInMonth(d[0], d[1]), d[2]) << d[0];
  const int valid[][4] = {{1900, 1, 1, 1}, {2078, 12, 31, 1}, {2079, 1, 1, 0}, {1899, 12, 31, 0}, {99, 12, 31, 1},
                          {0, 1, 1, 1}, {100, 1, 1, 0}, {2026, 0, 1, 0}, {2026, 1, 0, 0}};
  for (auto& d : valid) EXPECT_EQ(DateValid(d[0], d[1], d[2]), d[3] == 1) << d[0] << d[1] << d[2];
  const char* orders[][3] = {{".", "dd.MM.yyyy", ".dMy"}, {"", "", ".dMy"}, {"/", "M/d/yy", "/Mdy"},
                             {"-", "yyyy-MM-dd", "-yMd"}, {"/", "d", "/d"}, {".", "dd.MM.dd", ".dMd"}};
  for (auto& o : orders) EXPECT_EQ(MakeDateSettings(o[0], o[1]).Code(), o[2]) << o[1];
}

// Limits and rounding of the text conversions: inserted text is not scanned
// again, results are cut at 255, an overflow leaves the value read so far,
// halves round away from zero and a carry runs through every digit.
TEST(Values, TextLimitsAndRounding) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b").view(), "ba");
  EXPECT_EQ(ReplaceAll(std::string(200, 'x'), "x", "yy").size(), 255u);
  int32_t v = 0;
  bool overflow = false;
  EXPECT_FALSE(TextToInt("2147483648", v, &overflow));
  EXPECT_TRUE(overflow && v == 214748364);
  struct Fixed { double v; int places, width; const char* want; };
  for (const Fixed& r : {Fixed{3.14159, 2, 8, "    3.14"}, {2.5, 0, 0, "3"}, {-0.5, 0, 0, "-1"}, {0.125, 2, 0, "0.13"},
                         {999.9996, 3, 0, "1000.000"}, {3.14159265358979, -1, 0, "3.1415926536E+00"}})
    EXPECT_EQ(FormatFloat(r.v, r.places, r.width).view(), r.want) << r.v;
  EXPECT_EQ(FormatFloat(1e300, 6, 0).size(), 255u);
}

TEST(Values, Real48RoundsHalfAwayAndKeepsItsRange) {
  auto r48 = [](Extended x) {
    Extended r = -7;
    EXPECT_TRUE(ToReal48(x, r)) << static_cast<double>(x);
    return r;
  };
  auto p2 = [](int e) { return std::ldexp(1.0L, e); };
  const Extended largest = std::ldexp(2.0L - p2(-39), 126), smallest = p2(-128);
  const std::pair<Extended, Extended> rows[] = {
      {1, 1}, {1 + p2(-39), 1 + p2(-39)}, {1 + p2(-40), 1 + p2(-39)}, {1 + p2(-40) - p2(-52), 1},
      {1 + p2(-40) + p2(-52), 1 + p2(-39)}, {-1 - p2(-40), -1 - p2(-39)}, {2 - p2(-41), 2},
      {1.0000000000001L, 1}, {largest, largest}, {smallest, smallest}, {-smallest, -smallest}, {p2(-129), 0},
      {1e-40L, 0}, {smallest * (1 - p2(-45)), smallest}};
  for (auto& [in, want] : rows) EXPECT_EQ(r48(in), want) << static_cast<double>(in);
  EXPECT_NEAR(static_cast<double>(r48(0.1L)), 0.1, 1e-13);
  EXPECT_NE(r48(0.1L), 0.1L);
  EXPECT_EQ(r48(r48(0.1L)), r48(0.1L));
  EXPECT_NEAR(static_cast<double>(largest), 1.7014118346e38, 1e28);
  Extended r;
  for (Extended out : {p2(127), -p2(127), largest + p2(86), Extended(INFINITY)}) EXPECT_FALSE(ToReal48(out, r));
  const std::pair<Extended, int32_t> longs[] = {{2.9L, 2}, {-2.9L, -2}, {3.0e9L, 0}, {2147483647.0L, 2147483647},
                                                {-2147483647.0L, -2147483647}, {-2147483648.0L, 0},
                                                {2147483647.4L, 0}, {1e300L, 0}};
  for (auto& [in, want] : longs) EXPECT_EQ(FloatToLong(in), want) << static_cast<double>(in);
}

// The assembled runtime binds a handler (or its not-implemented stand-in) to
// every token of the list and to nothing else; CASE and CASENOT are
// resolved by the loop.
TEST(Values, RuntimeDispatchCoversExactlyTheTokenList) {
  TerminalHost host({"vestrun"});
  auto rt = AssembleRuntime(host.host());
  for (int t = 0; t < 256; ++t) {
    const auto b = static_cast<uint8_t>(t);
    const bool command = CommandName(b) != nullptr && b != cmd::kCase && b != cmd::kCaseNot;
    EXPECT_EQ(rt->statements[t] != nullptr, command) << std::hex << "command 0x" << t;
    EXPECT_EQ(rt->eval.functions[t] != nullptr, FunctionName(b) != nullptr) << std::hex << "function 0x" << t;
    EXPECT_EQ(rt->eval.system_variables[t] != nullptr, SysVarName(b) != nullptr) << std::hex << "variable 0x" << t;
    // What the token table tells the compiler agrees with the assembled runtime.
    EXPECT_EQ(CommandHasHandler(b), command || b == cmd::kCase || b == cmd::kCaseNot) << std::hex << t;
    EXPECT_EQ(FunctionIsBuiltIn(b), t >= 0x3d && rt->eval.functions[t] != nullptr) << std::hex << t;
  }
  EXPECT_EQ(CommandTokenOf("WEND"), 0x8a);  // the second keyword leads to the first name
  EXPECT_STREQ(CommandName(0x8a), "ENDWHILE");
}

}  // namespace
}  // namespace vestil
