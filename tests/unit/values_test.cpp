// The value and data rules below the statements, each a table of edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <tuple>

#include "base/cp1252.h"
#include "base/tokens.h"
#include "core/runtime.h"
#include "data/dates.h"
#include "data/odbc.h"
#include "data/serial_mode.h"
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
  std::string grouped(224, '0');
  grouped[0] = ',';
  EXPECT_EQ(en(grouped).size(), 255u);  // the result is cut
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

// The calendar's limits (1900..2078, two-digit years, the 4000 rule); the date order from the locale.
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

// Inserted text is not scanned again, results are cut at 255, halves round away from zero.
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

// A handler for every token of the list and nothing else (the loop resolves CASE and CASENOT).
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

// "BAUD DATA PARITY STOP FLAGS", flags in hex: 1 binary, 2 parity check, 4 CTS and 8 DSR output flow,
// 10 DTR on (20 handshake), 40 DSR sensitivity, 100 XON/XOFF out, 200 in, 1000 RTS on (2000 hs, 3000 toggle).
std::string Mode(const CommState& s) {
  char buf[64];
  const char* stop = s.stop_bits == CommState::kOneStopBit ? "1" : s.stop_bits == CommState::kTwoStopBits ? "2" : "1.5";
  std::snprintf(buf, sizeof buf, "%u %u%c%s %x", s.baud, s.data_bits, "NOEMS"[s.parity % 5], stop, s.flags);
  return buf;
}

TEST(DataRules, SerialModeDefinitions) {
  CommState odd;  // what a definition leaves alone: data bits, parity, stop bits, limits, other flags
  odd.baud = 4800;
  odd.data_bits = 6;
  odd.parity = CommState::kOdd;
  odd.stop_bits = CommState::kTwoStopBits;
  odd.xon_limit = 100;
  odd.xoff_limit = 200;
  odd.flags = 0x4345;  // binary, XON/XOFF, CTS output flow, DSR sensitivity and a bit of its own
  CommState seven, slow, plain;
  seven.data_bits = 7;
  slow.baud = 110;
  const std::tuple<const char*, const CommState*, const char*> rows[] = {
      {"baud=19200 parity=E data=7 stop=2", &plain, "19200 7E2 1013"},
      // Keys and letters in any case, the port's name before them, blanks around.
      {"  COM3:  BAUD=96 Parity=o DATA=5 Stop=1.5 ", &plain, "9600 5O1.5 1013"},
      {"9600,n,8,1", &plain, "9600 8N1 1011"},
      // Two-digit rates; empty fields keep theirs; a retry letter sets flow control.
      {"com1: 19, e, , 2, x", &seven, "19200 7E2 1313"}, {"48,n,8,1,p", &plain, "4800 8N1 202d"},
      // Flow control is switched off unless asked for; DTR and RTS are on.
      {"baud=1200", &odd, "1200 6O2 5013"},
      {"baud=9600 xon=on odsr=on octs=on idsr=on dtr=hs rts=tog", &plain, "9600 8N1 336d"},
      // 110 without a stop field takes two stop bits; with one, or unchanged, it keeps it.
      {"baud=110", &plain, "110 8N2 1011"}, {"110,n,8,1", &plain, "110 8N1 1011"}, {"parity=n", &slow, "110 8N1 1011"},
      {"parity=m", &plain, "9600 8M1 1013"}, {"parity=S", &plain, "9600 8S1 1013"}, {"11", &plain, "110 8N2 1011"},
      {"57600", &plain, "57600 8N1 1011"}};
  for (const auto& [def, before, want] : rows) {
    CommState s = *before;
    CommTimeouts t{50, 50, 50, 50, 50};
    ASSERT_TRUE(ParseCommDefinition(def, s, t)) << def;
    EXPECT_EQ(Mode(s), want) << def;
    EXPECT_EQ(s.xon_limit + s.xoff_limit, before->xon_limit + before->xoff_limit) << def;
    EXPECT_EQ(t.read_interval + t.write_constant, 100u) << def;  // without "to=" the timeouts stay
  }
  CommState s;
  CommTimeouts t{50, 50, 50, 50, 50};
  ASSERT_TRUE(ParseCommDefinition("baud=9600 to=on", s, t));
  EXPECT_EQ(t.read_interval + t.read_multiplier + t.read_constant + t.write_multiplier, 0u);
  EXPECT_EQ(t.write_constant, 60000u);
  ASSERT_TRUE(ParseCommDefinition("baud=9600 TO=OFF dtr=off rts=off", s, t));
  EXPECT_EQ(t.write_constant, 0u);
  EXPECT_EQ(Mode(s), "9600 8N1 1");
  // Refused definitions change nothing.
  for (const char* bad :
       {"", "   ", "COM1:", "baud=", "baud=0", "baud=96x", "parity=x", "data=4", "data=9", "stop=3", "stop=1.0",
        "xon=yes", "dtr=tog", "rts=maybe", "speed=9600", "baud 9600", "baud=9600 parity", "9600,q,8,1", "9600,n,4,1",
        "9600,n,8,3", "9600,n,8,1,z", "9600,n,8,1,x,1", "abc", "-9600,n,8,1", "9999999999"}) {
    CommState b;
    b.baud = 2400;
    CommTimeouts bt{1, 2, 3, 4, 5};
    EXPECT_FALSE(ParseCommDefinition(bad, b, bt)) << bad;
    EXPECT_TRUE(b.baud == 2400u && b.flags == CommState::kBinary && bt.write_constant == 5u) << bad;
  }
}

// The display widths of result columns (raised to the name) and the cells of console lines.
TEST(DataRules, OdbcWidthsAndCells) {
  struct Row { int16_t type; uint64_t size, width; uint8_t name = 1; };
  const Row rows[] = {
      {2, 8, 10},   {3, 12, 14},  {4, 99, 11},   {5, 99, 6},    {6, 99, 22},  {8, 99, 22}, {7, 99, 13},
      {9, 99, 10},  {10, 99, 8},  {11, 99, 23},  {-7, 99, 1},   {-6, 99, 4},  {-5, 99, 20}, {-2, 16, 32},
      {-3, 5, 10},  {-1, 9999, 50}, {1, 20, 21}, {12, 255, 256}, {-9, 0, 1}, {91, 7, 8},
      {4, 10, 12, 12}, {4, 10, 11, 11}, {-7, 1, 1, 0}, {-2, 0, 3, 3}};  // KUNDENNUMMER INTEGER
  for (const Row& r : rows) EXPECT_EQ(SqlDisplayWidth(r.type, r.size, r.name), r.width) << "type " << r.type;
  ShortString line;  // pad, cut, and widths modulo 256
  AppendSqlCell(line, "abc", 5);
  AppendSqlCell(line, "abcdef", 4);
  AppendSqlCell(line, "xyz", 256);  // 256 counts as 0
  AppendSqlCell(line, "q", 257);    // and 257 as 1
  EXPECT_EQ(line, "abc  abcdq");
  ShortString full(std::string(250, 'a'));
  AppendSqlCell(full, "bb", 10);
  EXPECT_EQ(full.size(), 255u);
  EXPECT_EQ(full.view().substr(248), "aabb   ");
}

}  // namespace
}  // namespace vestil
