// The printer's profile entry, the page mapping and the hard-copy fitting.
#include <gtest/gtest.h>

#include "gui/print_statements.h"

namespace vestil::gui {
namespace {

TEST(PrintRules, DeviceEntryNeedsTwoCommas) {
  const auto d = ParseDeviceEntry("PDF,wineps.drv,CUPS:PDF");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->name, "PDF");
  EXPECT_EQ(d->driver, "wineps.drv");
  EXPECT_EQ(d->port, "CUPS:PDF");
  // The port is the rest, commas and all; empty parts are parts.
  const auto e = ParseDeviceEntry(",,LPT1:,x");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "");
  EXPECT_EQ(e->driver, "");
  EXPECT_EQ(e->port, "LPT1:,x");
  EXPECT_FALSE(ParseDeviceEntry(""));
  EXPECT_FALSE(ParseDeviceEntry("PDF"));
  EXPECT_FALSE(ParseDeviceEntry("PDF,wineps.drv"));
}

TEST(PrintRules, PageMappingRoundsToNearestHalfToEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2.6), 3);
  EXPECT_EQ(RoundHalfEven(1e12), INT32_MAX);
  // 22/3 in by 11 in: 300 dpi gives 2200 x 3300 pixels, 200 dpi rounds
  // 1466.67 up, 100 dpi rounds 733.33 down.
  const PageSetup p300 = MapPage(6400, 9600, 100.0, 100.0);
  EXPECT_EQ(p300.window_width, 6400);
  EXPECT_EQ(p300.window_height, 9600);
  EXPECT_EQ(p300.viewport_width, 2200);
  EXPECT_EQ(p300.viewport_height, 3300);
  EXPECT_EQ(MapPage(1, 1, 200 / 3.0, 200 / 3.0).viewport_width, 1467);
  EXPECT_EQ(MapPage(1, 1, 100 / 3.0, 100 / 3.0).viewport_width, 733);
  EXPECT_EQ(MapPage(1, 1, 100 / 3.0, 100 / 3.0).viewport_height, 1100);
  // A scale ending in a half at x 22 is a tie only in theory; 0.25 x 22 is
  // 5.5 and goes to 6, 0.75 x 22 = 16.5 to 16.
  EXPECT_EQ(MapPage(1, 1, 0.25, 0).viewport_width, 6);
  EXPECT_EQ(MapPage(1, 1, 0.75, 0).viewport_width, 16);
}

TEST(PrintRules, ScreenCopyIsCutToThePage) {
  // Within the page: the corners as given, the page 1.5 x 640 high.
  ScreenCopyArea a = ClampScreenCopy(10, 20, 110, 220, 640, 480);
  EXPECT_EQ(a.x, 10);
  EXPECT_EQ(a.y, 20);
  EXPECT_EQ(a.width, 100);
  EXPECT_EQ(a.height, 200);
  EXPECT_EQ(a.page_height, 960);
  // Wider and higher than the window's page: one less than its size.
  a = ClampScreenCopy(5, 5, 2000, 2000, 640, 480);
  EXPECT_EQ(a.width, 639);
  EXPECT_EQ(a.height, 479);
  // A tall window: the height is cut to 1.5 x PageWidth (201 x 3 div 2 = 301).
  a = ClampScreenCopy(0, 0, 100, 650, 201, 700);
  EXPECT_EQ(a.page_height, 301);
  EXPECT_EQ(a.height, 300);
  // Extremes do not overflow.
  a = ClampScreenCopy(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 640, 480);
  EXPECT_EQ(a.width, 639);
  EXPECT_EQ(a.height, 479);
  a = ClampScreenCopy(INT32_MAX, 0, INT32_MIN, 10, 640, 480);
  EXPECT_LT(a.width, 0);
}

TEST(PrintRules, WindowCopyFillsTheWidthOrTheHeight) {
  // Wide: the page is the window's width, 1.5 times as high.
  Extent e = FitWindowCopy(600, 300);
  EXPECT_EQ(e.width, 600);
  EXPECT_EQ(e.height, 900);
  // Exactly 2:3 stays; one pixel taller fills the height.
  e = FitWindowCopy(200, 300);
  EXPECT_EQ(e.width, 200);
  EXPECT_EQ(e.height, 300);
  e = FitWindowCopy(200, 301);
  EXPECT_EQ(e.width, 200);  // 301 x 2 div 3
  EXPECT_EQ(e.height, 301);
  e = FitWindowCopy(101, 600);
  EXPECT_EQ(e.width, 400);
  EXPECT_EQ(e.height, 600);
  // Odd widths truncate: 101 x 3 div 2 = 151.
  EXPECT_EQ(FitWindowCopy(101, 10).height, 151);
}

}  // namespace
}  // namespace vestil::gui
