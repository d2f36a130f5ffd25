#pragma once
// Printing: STARTPRINT, NEWPAGE and ENDPRINT bracket drawing statements that
// then go to the default printer, scaled by 10 onto a page of 640 x 960
// units; SCREENCOPY and WINCOPY print one-page hard copies of the window.
// The arithmetic of the page mapping and the hard-copy fitting is plain
// code here; the printer itself is the host's (host/printer.h).
#include <cstdint>
#include <optional>
#include <string_view>

#include "host/printer.h"

namespace vestil {

struct Runtime;

namespace gui {

// A script page: a window extent of 6400 x 9600 logical units (script
// coordinates times 10) on a 22/3 in x 11 in area of the device.
inline constexpr int32_t kScriptPageWidth = 6400, kScriptPageHeight = 9600;

// The profile entry name,driver,port split at the first and the next comma;
// none when either comma is missing.
std::optional<PrinterDevice> ParseDeviceEntry(std::string_view entry);

// To the nearest integer, a half to the even neighbour.
int32_t RoundHalfEven(double v);

// The page mapping of a window extent on a printer whose scales are its
// pixels per inch divided by 3: the viewport is scale_x x 22 by scale_y x 33
// pixels, each to the nearest integer.
PageSetup MapPage(int32_t window_width, int32_t window_height, double scale_x, double scale_y);

// SCREENCOPY: the corner rectangle (x1, y1)-(x2, y2) cut to the window's
// page (PageWidth x PageHeight) and to a page 1.5 x PageWidth high; the
// result is the rectangle's position and size (x2 - x1, y2 - y1) and the
// height of the printed page in window pixels.
struct ScreenCopyArea {
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t page_height = 0;
};
ScreenCopyArea ClampScreenCopy(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t page_width,
                               int32_t page_height);

// WINCOPY: the page's logical extent for a window of w x h pixels, a 2:3
// page that the window fills across, or down when it is taller than that.
struct Extent {
  int32_t width = 0, height = 0;
};
Extent FitWindowCopy(int32_t w, int32_t h);

}  // namespace gui

void RegisterPrintStatements(Runtime& rt);

}  // namespace vestil
