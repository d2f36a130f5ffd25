// The data side's rules below the statements: serial mode definitions and
// the widths and cells of ODBC results.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "data/odbc.h"
#include "data/serial_mode.h"

namespace vestil {
namespace {

// A mode as "BAUD DATA PARITY STOP FLAGS", the flags in hex: 1 binary, 2 parity
// check, 4 CTS and 8 DSR output flow, 10 DTR on (20 handshake), 40 DSR
// sensitivity, 100 XON/XOFF out and 200 in, 1000 RTS on (2000 handshake, 3000 toggle).
std::string Mode(const CommState& s) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%u %u%c%s %x", s.baud, s.data_bits, "NOEMS"[s.parity % 5],
                s.stop_bits == CommState::kOneStopBit ? "1" : s.stop_bits == CommState::kTwoStopBits ? "2" : "1.5", s.flags);
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
