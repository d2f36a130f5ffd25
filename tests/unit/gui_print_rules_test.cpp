// The printer's profile entry, the page mapping and the hard-copy fitting.
#include <gtest/gtest.h>

#include "gui/print_statements.h"

namespace vestil::gui {
namespace {

TEST(PrintRules, DeviceEntryNeedsTwoCommas) {
  const auto d = ParseDeviceEntry("PDF,wineps.drv,CUPS:PDF,x");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->name, "PDF");
  EXPECT_EQ(d->driver, "wineps.drv");
  EXPECT_EQ(d->port, "CUPS:PDF,x");  // the port is the rest
  EXPECT_TRUE(ParseDeviceEntry(",,"));
  EXPECT_FALSE(ParseDeviceEntry("PDF"));
  EXPECT_FALSE(ParseDeviceEntry("PDF,wineps.drv"));
}

TEST(PrintRules, PageMappingRoundsToNearestHalfToEven) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(1e12), INT32_MAX);
  // 22/3 in by 11 in: 300 dpi is 2200 x 3300 pixels; 200 dpi rounds
  // 1466.67 up, 100 dpi 733.33 down.
  const PageSetup p = MapPage(6400, 9600, 100.0, 100.0);
  EXPECT_EQ(p.viewport_width, 2200);
  EXPECT_EQ(p.viewport_height, 3300);
  EXPECT_EQ(MapPage(1, 1, 200 / 3.0, 0).viewport_width, 1467);
  EXPECT_EQ(MapPage(1, 1, 100 / 3.0, 0).viewport_width, 733);
  EXPECT_EQ(MapPage(1, 1, 0.75, 0).viewport_width, 16);  // 16.5
}

TEST(PrintRules, ScreenCopyIsCutToThePage) {
  ScreenCopyArea a = ClampScreenCopy(5, 5, 2000, 2000, 640, 480);
  EXPECT_EQ(a.width, 639);
  EXPECT_EQ(a.height, 479);
  EXPECT_EQ(a.page_height, 960);
  // A tall window: cut to 1.5 x PageWidth (201 x 3 div 2 = 301).
  a = ClampScreenCopy(0, 0, 100, 650, 201, 700);
  EXPECT_EQ(a.page_height, 301);
  EXPECT_EQ(a.height, 300);
  a = ClampScreenCopy(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 640, 480);
  EXPECT_EQ(a.width, 639);
}

TEST(PrintRules, WindowCopyFillsTheWidthOrTheHeight) {
  EXPECT_EQ(FitWindowCopy(200, 300).width, 200);  // exactly 2:3
  EXPECT_EQ(FitWindowCopy(200, 300).height, 300);
  EXPECT_EQ(FitWindowCopy(101, 10).height, 151);  // wide: 101 x 3 div 2
  const Extent tall = FitWindowCopy(200, 301);
  EXPECT_EQ(tall.width, 200);  // 301 x 2 div 3
  EXPECT_EQ(tall.height, 301);
}

}  // namespace
}  // namespace vestil::gui
