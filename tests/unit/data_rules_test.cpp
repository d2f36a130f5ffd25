// The data side's rules below the statements: serial mode definitions and
// the widths and cells of ODBC results.
#include <gtest/gtest.h>

#include <string>

#include "data/odbc.h"
#include "data/serial_mode.h"

namespace vestil {
namespace {

constexpr uint32_t kDtrOn = 1u << CommState::kDtrControlShift, kRtsOn = 1u << CommState::kRtsControlShift;
constexpr uint32_t kBin = CommState::kBinary, kXonXoff = CommState::kOutX | CommState::kInX;

TEST(DataRules, SerialModeDefinitions) {
  CommState odd;  // what a definition leaves alone: data bits, parity, stop bits, limits, other flags
  odd.baud = 4800;
  odd.data_bits = 6;
  odd.parity = CommState::kOdd;
  odd.stop_bits = CommState::kTwoStopBits;
  odd.xon_limit = 100;
  odd.xoff_limit = 200;
  odd.flags = kBin | kXonXoff | CommState::kOutCtsFlow | CommState::kDsrSensitivity | 0x4000;
  CommState seven, slow;
  seven.data_bits = 7;
  slow.baud = 110;
  slow.stop_bits = CommState::kOneStopBit;
  struct Row { const char* def; const CommState* before; uint32_t baud; int data, parity, stop; uint32_t flags; };
  const CommState plain;
  const uint32_t kHardware = CommState::kOutCtsFlow | CommState::kOutDsrFlow | 2u << CommState::kDtrControlShift |
                             2u << CommState::kRtsControlShift;
  const Row rows[] = {
      {"baud=19200 parity=E data=7 stop=2", &plain, 19200, 7, CommState::kEven, CommState::kTwoStopBits,
       kBin | CommState::kParityCheck | kDtrOn | kRtsOn},
      // Keys and letters in any case, the port's name before them, blanks around.
      {"  COM3:  BAUD=96 Parity=o DATA=5 Stop=1.5 ", &plain, 9600, 5, CommState::kOdd,
       CommState::kOneAndHalfStopBits, kBin | CommState::kParityCheck | kDtrOn | kRtsOn},
      {"9600,n,8,1", &plain, 9600, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kDtrOn | kRtsOn},
      // Two-digit rates; empty fields keep theirs; a retry letter sets flow control.
      {"com1: 19, e, , 2, x", &seven, 19200, 7, CommState::kEven, CommState::kTwoStopBits,
       kBin | CommState::kParityCheck | kDtrOn | kRtsOn | kXonXoff},
      {"48,n,8,1,p", &plain, 4800, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kHardware},
      // Flow control is switched off unless asked for; DTR and RTS are on.
      {"baud=1200", &odd, 1200, 6, CommState::kOdd, CommState::kTwoStopBits,
       kBin | CommState::kParityCheck | kDtrOn | kRtsOn | 0x4000},
      {"baud=9600 xon=on odsr=on octs=on idsr=on dtr=hs rts=tog", &plain, 9600, 8, CommState::kNoParity,
       CommState::kOneStopBit, kBin | kXonXoff | CommState::kOutDsrFlow | CommState::kOutCtsFlow |
       CommState::kDsrSensitivity | 2u << CommState::kDtrControlShift | 3u << CommState::kRtsControlShift},
      // 110 without a stop field takes two stop bits; with one, or unchanged, it keeps it.
      {"baud=110", &plain, 110, 8, CommState::kNoParity, CommState::kTwoStopBits, kBin | kDtrOn | kRtsOn},
      {"110,n,8,1", &plain, 110, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kDtrOn | kRtsOn},
      {"parity=n", &slow, 110, 8, CommState::kNoParity, CommState::kOneStopBit, kBin | kDtrOn | kRtsOn},
  };
  for (const Row& r : rows) {
    CommState s = *r.before;
    CommTimeouts t{50, 50, 50, 50, 50};
    ASSERT_TRUE(ParseCommDefinition(r.def, s, t)) << r.def;
    EXPECT_EQ(s.baud, r.baud) << r.def;
    EXPECT_EQ(s.data_bits, r.data) << r.def;
    EXPECT_EQ(s.parity, r.parity) << r.def;
    EXPECT_EQ(s.stop_bits, r.stop) << r.def;
    EXPECT_EQ(s.flags, r.flags) << r.def;
    EXPECT_EQ(s.xon_limit + s.xoff_limit, r.before->xon_limit + r.before->xoff_limit) << r.def;
    EXPECT_EQ(t.read_interval + t.write_constant, 100u) << r.def;  // without "to=" the timeouts stay
  }
  auto parse = [](const char* def) {
    CommState s;
    CommTimeouts t{};
    EXPECT_TRUE(ParseCommDefinition(def, s, t)) << def;
    return s;
  };
  EXPECT_EQ(parse("parity=m").parity, CommState::kMark);
  EXPECT_EQ(parse("parity=S").parity, CommState::kSpace);
  EXPECT_EQ(parse("11").baud + parse("57600").baud, 110u + 57600u);
  CommState s;
  CommTimeouts t{50, 50, 50, 50, 50};
  ASSERT_TRUE(ParseCommDefinition("baud=9600 to=on", s, t));
  EXPECT_EQ(t.read_interval + t.read_multiplier + t.read_constant + t.write_multiplier, 0u);
  EXPECT_EQ(t.write_constant, 60000u);
  ASSERT_TRUE(ParseCommDefinition("baud=9600 TO=OFF dtr=off rts=off", s, t));
  EXPECT_EQ(t.write_constant, 0u);
  EXPECT_EQ(s.flags, kBin);
  // Refused definitions change nothing.
  for (const char* bad :
       {"", "   ", "COM1:", "baud=", "baud=0", "baud=96x", "parity=x", "data=4", "data=9", "stop=3", "stop=1.0",
        "xon=yes", "dtr=tog", "rts=maybe", "speed=9600", "baud 9600", "baud=9600 parity", "9600,q,8,1", "9600,n,4,1",
        "9600,n,8,3", "9600,n,8,1,z", "9600,n,8,1,x,1", "abc", "-9600,n,8,1", "9999999999"}) {
    CommState b;
    b.baud = 2400;
    CommTimeouts bt{1, 2, 3, 4, 5};
    EXPECT_FALSE(ParseCommDefinition(bad, b, bt)) << bad;
    EXPECT_TRUE(b.baud == 2400u && b.flags == kBin && bt.write_constant == 5u) << bad;
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
