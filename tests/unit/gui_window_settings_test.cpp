// WINDOWSTYLE's options, the pump's option rule and the STARTPAINT checks.
#include <gtest/gtest.h>

#include "gui/window_settings.h"

namespace vestil::gui {
namespace {

constexpr uint32_t kFrameBits = 0x000f0000;  // WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME | WS_SYSMENU

TEST(WindowStyle, DefaultIsTheFourFrameBitsWithoutFlags) {
  const WindowSettings s;
  EXPECT_EQ(s.options.style, kFrameBits);
  EXPECT_FALSE(s.options.no_menu || s.options.null_background || s.options.sys_keys_command ||
               s.options.sys_command || s.options.dialog_main);
  EXPECT_EQ(s.rect.width, 640);
  EXPECT_EQ(s.rect.height, 480);
}

TEST(WindowStyle, EachBitIsItsOwn) {
  EXPECT_EQ(DecodeStyleOptions(0).style, 0u);
  EXPECT_EQ(DecodeStyleOptions(1).style, 0x00010000u);  // WS_MAXIMIZEBOX
  EXPECT_EQ(DecodeStyleOptions(8).style, 0x00080000u);  // WS_SYSMENU
  EXPECT_EQ(DecodeStyleOptions(0x40).style, kStylePopup);
  EXPECT_TRUE(DecodeStyleOptions(0x10).no_menu);
  EXPECT_TRUE(DecodeStyleOptions(0x20).null_background);
  EXPECT_TRUE(DecodeStyleOptions(0x80).sys_keys_command);
  EXPECT_TRUE(DecodeStyleOptions(0x100).sys_command);
  EXPECT_TRUE(DecodeStyleOptions(0x200).dialog_main);
  const WindowStyleOptions all = DecodeStyleOptions(0x3ff);
  EXPECT_EQ(all.style, kFrameBits | kStylePopup);
  EXPECT_TRUE(all.no_menu && all.null_background && all.sys_keys_command && all.sys_command && all.dialog_main);
  // Bits above the ten mean nothing; -1 sets all ten.
  EXPECT_EQ(DecodeStyleOptions(0x400).style, 0u);
  EXPECT_FALSE(DecodeStyleOptions(0x400).dialog_main);
  EXPECT_EQ(DecodeStyleOptions(-1).style, all.style);
}

TEST(WindowStyle, PumpTurnsSystemMessagesIntoCommands) {
  const WindowStyleOptions none = DecodeStyleOptions(15);
  EXPECT_FALSE(PumpedAsCommand(none, kMessageSysKeyDown));
  EXPECT_FALSE(PumpedAsCommand(none, kMessageSysCommand));
  const WindowStyleOptions keys = DecodeStyleOptions(0x80);
  EXPECT_TRUE(PumpedAsCommand(keys, kMessageSysKeyDown));
  EXPECT_TRUE(PumpedAsCommand(keys, kMessageSysCommand));
  EXPECT_FALSE(PumpedAsCommand(keys, 0x100));  // WM_KEYDOWN stays
  const WindowStyleOptions command = DecodeStyleOptions(0x100);
  EXPECT_FALSE(PumpedAsCommand(command, kMessageSysKeyDown));
  EXPECT_TRUE(PumpedAsCommand(command, kMessageSysCommand));
}

TEST(WindowSettings, WindowRectAndPaintChecks) {
  EXPECT_TRUE(ValidWindowRect({10, 10, 0, 0}));
  EXPECT_FALSE(ValidWindowRect({-1, 0, 10, 10}));
  EXPECT_FALSE(ValidWindowRect({0, 0, 10, -1}));
  WindowSettings s;
  EXPECT_EQ(s.CheckEndPaint(), PaintRefusal::kNotPainting);
  EXPECT_EQ(s.CheckStartPaint(true), PaintRefusal::kPrinting);
  EXPECT_EQ(s.CheckStartPaint(false), PaintRefusal::kNone);
  s.in_paint = true;
  // Printing is tested first.
  EXPECT_EQ(s.CheckStartPaint(true), PaintRefusal::kPrinting);
  EXPECT_EQ(s.CheckStartPaint(false), PaintRefusal::kAlreadyPainting);
  EXPECT_EQ(s.CheckEndPaint(), PaintRefusal::kNone);
}

}  // namespace
}  // namespace vestil::gui
