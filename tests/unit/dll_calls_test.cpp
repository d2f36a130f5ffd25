// The platform-free parts of the library calls: the arguments of a direct
// call, the exchange file's names, its bytes and what is read back from it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "data/dll_calls.h"
#include "values/variables.h"

namespace vestil::dll {
namespace {

AreaBlock* AddArea(VariableStore& vars, const char* name, int32_t size, uint32_t handle) {
  auto block = std::make_shared<AreaBlock>();
  block->bytes.reset(new uint8_t[static_cast<size_t>(size) + 1]());
  block->size = size;
  block->handle = handle;
  vars.areas.Append(name, block);
  return block.get();
}

TEST(DllCalls, DirectArgumentsPassNumbersWidenedAndAreasByAddress) {
  VariableStore vars;
  AreaBlock* a = AddArea(vars, "A#", 4, 0x20000);
  vars.slots[1].l = -1;
  vars.slots[2].l = 0x20000;  // the area's handle
  vars.slots[3].l = 0x30000;  // no area has it
  vars.slots[4].l = 0;
  const auto args = DirectArguments(vars, 4);
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[0], intptr_t{-1});
  EXPECT_EQ(args[1], reinterpret_cast<intptr_t>(a->bytes.get()));
  EXPECT_EQ(args[2], intptr_t{0x30000});
  EXPECT_EQ(args[3], intptr_t{0});
  EXPECT_TRUE(DirectArguments(vars, 0).empty());
}

TEST(DllCalls, ExchangeNamesIncreaseEvenWithinOneMillisecond) {
  uint32_t n = NextExchangeNumber(5000, 0);
  EXPECT_EQ(n, 5000u);
  const uint32_t same_tick = NextExchangeNumber(5000, n);
  EXPECT_EQ(same_tick, 5001u);
  EXPECT_NE(ExchangeFileName(n), ExchangeFileName(same_tick));
  // A clock that goes back (the tick count wrapped) still counts on.
  EXPECT_EQ(NextExchangeNumber(3, 5001), 5002u);
  EXPECT_EQ(NextExchangeNumber(9000, 5001), 9000u);
  // The last seven digits, without leading zeros.
  EXPECT_EQ(ExchangeFileName(1234567), "P1234567.$");
  EXPECT_EQ(ExchangeFileName(4294967295u), "P4967295.$");
  EXPECT_EQ(ExchangeFileName(20000042), "P42.$");
  EXPECT_EQ(ExchangeFileName(0), "P0.$");
}

TEST(DllCalls, ParameterTypesAreCheckedForCountThenCharacters) {
  EXPECT_EQ(CheckParameterTypes("%&#", 3), 0);
  EXPECT_EQ(CheckParameterTypes("", 0), 0);
  EXPECT_EQ(CheckParameterTypes("%&", 3), 245);
  EXPECT_EQ(CheckParameterTypes("%&!", 2), 245);
  EXPECT_EQ(CheckParameterTypes("%&!", 3), 246);
  EXPECT_EQ(CheckParameterTypes("$", 1), 246);
}

TEST(DllCalls, ExchangeBytesOfIntegerLongAndArea) {
  VariableStore vars;
  AreaBlock* a = AddArea(vars, "A#", 100, 0x10000);
  for (int i = 0; i < 100; ++i) a->bytes[i] = static_cast<uint8_t>(i);
  std::array<SlotValue, 3> slots{};
  slots[0].i = 0x12345;  // only the low 16 bits go
  slots[0].l = 0x12345;
  slots[1].l = -2;
  slots[2].l = 0x10000;
  const ExchangeImage image = BuildExchange("%&#", slots, vars);
  ASSERT_EQ(image.bytes.size(), 2u + 4u + 4u + 100u);
  EXPECT_EQ(image.result_position, 110u);
  EXPECT_EQ(image.bytes.substr(0, 10), std::string("\x45\x23\xfe\xff\xff\xff\x64\x00\x00\x00", 10));
  EXPECT_EQ(image.bytes[10], '\0');
  EXPECT_EQ(static_cast<uint8_t>(image.bytes[109]), 99);
  ASSERT_EQ(image.areas.size(), 1u);
  EXPECT_EQ(image.areas[0].position, 6u);

  // The bridge changed the area and appended its result.
  std::string file = image.bytes;
  for (int i = 0; i < 100; ++i) file[10 + i] = 'z';
  file += std::string("\x78\x56\x34\x12", 4);
  EXPECT_EQ(ReadBackExchange(image, file), 0x12345678);
  EXPECT_EQ(a->bytes[0], 'z');
  EXPECT_EQ(a->bytes[99], 'z');
  EXPECT_EQ(a->bytes[100], 0);  // the byte after the block stays
}

TEST(DllCalls, ReadBackStaysWithinTheAreaAndTheFile) {
  VariableStore vars;
  AreaBlock* a = AddArea(vars, "A#", 4, 0x10000);
  std::array<SlotValue, 2> slots{};
  slots[0].l = 0x10000;
  slots[1].l = 77;  // no area: a size of 0 and no bytes
  const ExchangeImage image = BuildExchange("##", slots, vars);
  ASSERT_EQ(image.bytes, std::string("\x04\0\0\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(image.result_position, 12u);

  // A size field that grew is cut to the area; a file that ends early gives
  // what it has and the result 0.
  std::string file("\xff\0\0\0abcdefgh", 12);
  EXPECT_EQ(ReadBackExchange(image, file), 0);
  EXPECT_EQ(std::memcmp(a->bytes.get(), "abcd", 4), 0);
  EXPECT_EQ(a->bytes[4], 0);
  EXPECT_EQ(ReadBackExchange(image, std::string("\x04\0\0\0x", 5)), 0);
  EXPECT_EQ(a->bytes[0], 'x');
  EXPECT_EQ(a->bytes[1], 'b');
}

TEST(DllCalls, BridgeCommandLine) {
  EXPECT_EQ(BridgeCommandLine("OLD.DLL", "Rechne", "%&#", "&", "C:\\TEMP\\P42.$"),
            "VEST16 OLD.DLL|Rechne|%&#|& C:\\TEMP\\P42.$");
}

}  // namespace
}  // namespace vestil::dll
