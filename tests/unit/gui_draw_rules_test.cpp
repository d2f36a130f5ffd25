// The colour rule, the scroll rule at its bounds, the brush and pen
// descriptions and the scaling while printing.
#include <gtest/gtest.h>

#include "gui/draw_rules.h"

namespace vestil::gui {
namespace {

TEST(ScriptColor, FifteenBitWideningAndTrueColor) {
  EXPECT_EQ(ScriptColor(0, false), 0x000000u);
  EXPECT_EQ(ScriptColor(31, false), 0x0000ffu);     // pure red
  EXPECT_EQ(ScriptColor(992, false), 0x00ff00u);    // pure green
  EXPECT_EQ(ScriptColor(31744, false), 0xff0000u);  // pure blue
  EXPECT_EQ(ScriptColor(32767, false), 0xffffffu);  // white
  EXPECT_EQ(ScriptColor(1 + 32 * 2, false), 0x00170fu);  // k > 0 widens to 8k + 7
  // Outside 0..32767 only the low 15 bits count; nothing reaches the top byte.
  EXPECT_EQ(ScriptColor(32768, false), 0x000000u);
  EXPECT_EQ(ScriptColor(32768 + 31, false), 0x0000ffu);
  EXPECT_EQ(ScriptColor(-1, false), 0xffffffu);
  EXPECT_EQ(ScriptColor(INT32_MIN, false), 0x000000u);
  // True colour: the value as it is (red in the low byte).
  EXPECT_EQ(ScriptColor(255, true), 0x0000ffu);
  EXPECT_EQ(ScriptColor(0x123456, true), 0x123456u);

  EXPECT_EQ(ColorFromPlatform(0xffffff, false), 32767);
  EXPECT_EQ(ColorFromPlatform(ScriptColor(992, false), false), 992);
  EXPECT_EQ(ColorFromPlatform(0x0000ff, true), 255);
  EXPECT_EQ(ColorFromPlatform(kInvalidColor, false), -1);
}

TEST(ScrollPosition, RuleAtItsBounds) {
  // Range 0..99: a page is 10.
  EXPECT_EQ(ScrollPosition(0, 99, 0, kScrollLineUp, 0), 0);
  EXPECT_EQ(ScrollPosition(0, 99, 99, kScrollLineDown, 0), 99);
  EXPECT_EQ(ScrollPosition(0, 99, 5, kScrollPageUp, 0), 0);
  EXPECT_EQ(ScrollPosition(0, 99, 95, kScrollPageDown, 0), 99);
  EXPECT_EQ(ScrollPosition(0, 99, 50, kScrollPageDown, 0), 60);
  EXPECT_EQ(ScrollPosition(0, 99, 50, kScrollThumbTrack, 77), 77);
  EXPECT_EQ(ScrollPosition(0, 99, 50, kScrollTop, 0), 0);
  EXPECT_EQ(ScrollPosition(0, 99, 50, kScrollBottom, 0), 99);
  EXPECT_EQ(ScrollPosition(0, 99, 50, 8, 0), 50);  // SB_ENDSCROLL
  // A range below ten steps still pages by one; the widest range does not overflow.
  EXPECT_EQ(ScrollPosition(3, 7, 7, kScrollPageUp, 0), 6);
  EXPECT_EQ(ScrollPosition(INT32_MIN, INT32_MAX, INT32_MIN, kScrollPageUp, 0), INT32_MIN);
  EXPECT_EQ(ScrollPosition(INT32_MIN, INT32_MAX, INT32_MAX, kScrollPageDown, 0), INT32_MAX);
  EXPECT_EQ(ScrollPosition(INT32_MIN, INT32_MAX, 0, kScrollPageDown, 0), 429496729);
}

TEST(BrushAndPen, StylesAndPrinting) {
  BrushDescription b;
  UseBrush(b, -1, 5);  // the zeroed description: solid
  EXPECT_EQ(b.style, kBrushSolid);
  UseBrush(b, 0, 31);
  EXPECT_EQ(b.style, kBrushHollow);
  UseBrush(b, 7, 1);  // the diagonal cross
  EXPECT_EQ(b.style, kBrushHatched);
  EXPECT_EQ(b.hatch, 5);
  UseBrush(b, -3, 992);  // negative: style and hatch kept, colour taken
  EXPECT_EQ(b.style, kBrushHatched);
  EXPECT_EQ(b.hatch, 5);
  EXPECT_EQ(b.color, 992u);
  UseBrush(b, 2, 0);
  EXPECT_EQ(b.hatch, 0);
  UseBrush(b, 8, 0);  // no such hatch: kept as well
  EXPECT_EQ(b.hatch, 0);
  UseBrush(b, 1, 0);
  EXPECT_EQ(b.style, kBrushSolid);

  EXPECT_EQ(UsePen(0, 1, 0, true).width, 10);   // solid: scaled
  EXPECT_EQ(UsePen(2, 1, 0, true).width, 1);    // thin dotted: device width
  EXPECT_EQ(UsePen(2, 3, 0, true).width, 30);
  EXPECT_EQ(UsePen(0, 3, 0, false).width, 3);
  EXPECT_EQ(PrintScale(20, true), 200);
  EXPECT_EQ(PrintScale(-7, true), -70);
  EXPECT_EQ(PrintScale(INT32_MAX, true), static_cast<int32_t>(0xfffffff6u));  // wraps
  EXPECT_EQ(PrintScale(20, false), 20);
  EXPECT_EQ(DrawPasses(DrawKind::kPixelOrText, true), 1);
  EXPECT_EQ(DrawPasses(DrawKind::kFigure, true), 2);
  EXPECT_EQ(DrawPasses(DrawKind::kPixelOrText, false), 2);
}

}  // namespace
}  // namespace vestil::gui
