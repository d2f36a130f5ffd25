// The reader of serial mode definitions: both forms, the fields a definition
// leaves alone, flow control and the definitions it refuses.
#include <gtest/gtest.h>

#include "data/serial_mode.h"

namespace vestil {
namespace {

constexpr uint32_t kDtrOn = 1u << CommState::kDtrControlShift;
constexpr uint32_t kRtsOn = 1u << CommState::kRtsControlShift;

struct Parsed {
  bool ok;
  CommState s;
  CommTimeouts t;
};

Parsed Parse(std::string_view def, CommState s = CommState{}) {
  CommTimeouts t{50, 50, 50, 50, 50};
  const bool ok = ParseCommDefinition(def, s, t);
  return {ok, s, t};
}

TEST(SerialMode, KeyedForm) {
  Parsed p = Parse("baud=19200 parity=E data=7 stop=2");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s.baud, 19200u);
  EXPECT_EQ(p.s.parity, CommState::kEven);
  EXPECT_EQ(p.s.data_bits, 7);
  EXPECT_EQ(p.s.stop_bits, CommState::kTwoStopBits);
  EXPECT_EQ(p.s.flags, CommState::kBinary | CommState::kParityCheck | kDtrOn | kRtsOn);
  // Keys and letters in any case, the port's name before them, blanks around.
  p = Parse("  COM3:  BAUD=96 Parity=o DATA=5 Stop=1.5 ");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s.baud, 9600u);
  EXPECT_EQ(p.s.parity, CommState::kOdd);
  EXPECT_EQ(p.s.data_bits, 5);
  EXPECT_EQ(p.s.stop_bits, CommState::kOneAndHalfStopBits);
  EXPECT_EQ(Parse("parity=m").s.parity, CommState::kMark);
  EXPECT_EQ(Parse("parity=S").s.parity, CommState::kSpace);
}

TEST(SerialMode, OldForm) {
  Parsed p = Parse("9600,n,8,1");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s.baud, 9600u);
  EXPECT_EQ(p.s.parity, CommState::kNoParity);
  EXPECT_EQ(p.s.stop_bits, CommState::kOneStopBit);
  EXPECT_EQ(p.s.flags, CommState::kBinary | kDtrOn | kRtsOn);
  // Two-digit rates, empty fields keep theirs, a retry letter sets flow control.
  CommState before;
  before.data_bits = 7;
  p = Parse("com1: 19, e, , 2, x", before);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s.baud, 19200u);
  EXPECT_EQ(p.s.data_bits, 7);
  EXPECT_EQ(p.s.stop_bits, CommState::kTwoStopBits);
  EXPECT_EQ(p.s.flags & (CommState::kOutX | CommState::kInX), CommState::kOutX | CommState::kInX);
  p = Parse("48,n,8,1,p");
  EXPECT_EQ(p.s.baud, 4800u);
  EXPECT_EQ(p.s.flags, CommState::kBinary | CommState::kOutCtsFlow | CommState::kOutDsrFlow |
                           (2u << CommState::kDtrControlShift) | (2u << CommState::kRtsControlShift));
  EXPECT_EQ(Parse("11").s.baud, 110u);
  EXPECT_EQ(Parse("57600").s.baud, 57600u);
}

TEST(SerialMode, WhatADefinitionLeavesAlone) {
  CommState before;
  before.baud = 4800;
  before.data_bits = 6;
  before.parity = CommState::kOdd;
  before.stop_bits = CommState::kTwoStopBits;
  before.xon_limit = 100;
  before.xoff_limit = 200;
  // Flow control is switched off unless asked for; DTR and RTS are on.
  before.flags = CommState::kBinary | CommState::kOutX | CommState::kInX | CommState::kOutCtsFlow |
                 CommState::kDsrSensitivity | 0x4000;
  Parsed p = Parse("baud=1200", before);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s.baud, 1200u);
  EXPECT_EQ(p.s.data_bits, 6);
  EXPECT_EQ(p.s.parity, CommState::kOdd);
  EXPECT_EQ(p.s.stop_bits, CommState::kTwoStopBits);
  EXPECT_EQ(p.s.xon_limit, 100);
  EXPECT_EQ(p.s.xoff_limit, 200);
  EXPECT_EQ(p.s.flags, CommState::kBinary | CommState::kParityCheck | kDtrOn | kRtsOn | 0x4000);
  // 110 without a stop field takes two stop bits; with one it keeps it.
  EXPECT_EQ(Parse("baud=110").s.stop_bits, CommState::kTwoStopBits);
  EXPECT_EQ(Parse("110,n,8,1").s.stop_bits, CommState::kOneStopBit);
  before.baud = 110;
  before.stop_bits = CommState::kOneStopBit;
  EXPECT_EQ(Parse("parity=n", before).s.stop_bits, CommState::kOneStopBit);
}

TEST(SerialMode, FlowControlAndTimeouts) {
  Parsed p = Parse("baud=9600 xon=on odsr=on octs=on idsr=on dtr=hs rts=tog");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.s.flags, CommState::kBinary | CommState::kOutX | CommState::kInX | CommState::kOutDsrFlow |
                           CommState::kOutCtsFlow | CommState::kDsrSensitivity |
                           (2u << CommState::kDtrControlShift) | (3u << CommState::kRtsControlShift));
  EXPECT_EQ(Parse("dtr=off rts=off").s.flags, CommState::kBinary);
  // Without "to=" the timeouts stay as they were.
  EXPECT_EQ(p.t.read_interval, 50u);
  EXPECT_EQ(p.t.write_constant, 50u);
  p = Parse("baud=9600 to=on");
  EXPECT_EQ(p.t.read_interval + p.t.read_multiplier + p.t.read_constant + p.t.write_multiplier, 0u);
  EXPECT_EQ(p.t.write_constant, 60000u);
  p = Parse("baud=9600 TO=OFF");
  EXPECT_EQ(p.t.write_constant, 0u);
}

TEST(SerialMode, RefusedDefinitionsChangeNothing) {
  for (const char* bad :
       {"", "   ", "COM1:", "baud=", "baud=0", "baud=96x", "parity=x", "data=4", "data=9", "stop=3",
        "stop=1.0", "xon=yes", "dtr=tog", "rts=maybe", "speed=9600", "baud 9600", "baud=9600 parity",
        "9600,q,8,1", "9600,n,4,1", "9600,n,8,3", "9600,n,8,1,z", "9600,n,8,1,x,1", "abc",
        "-9600,n,8,1", "9999999999"}) {
    CommState s;
    s.baud = 2400;
    CommTimeouts t{1, 2, 3, 4, 5};
    EXPECT_FALSE(ParseCommDefinition(bad, s, t)) << bad;
    EXPECT_EQ(s.baud, 2400u) << bad;
    EXPECT_EQ(s.flags, CommState::kBinary) << bad;
    EXPECT_EQ(t.write_constant, 5u) << bad;
  }
}

}  // namespace
}  // namespace vestil
