#pragma once
// The settings of the script window that the window statements change: the
// WINDOWSTYLE options, the rectangle of WINDOW and the STARTPAINT state. The
// style values are the Win32 ones, so the window code passes them on as they
// are; nothing here calls the platform.
#include <cstdint>

#include "host/window_control.h"

namespace vestil::gui {

// The frame bits (WS_MAXIMIZEBOX .. WS_SYSMENU) are the options' low four
// bits shifted left by 16; 0x40 adds WS_POPUP.
inline constexpr uint32_t kStylePopup = 0x80000000u;  // WS_POPUP
inline constexpr int32_t kDefaultStyleOptions = 15;   // all four frame bits, no flags
inline constexpr uint32_t kMessageSysKeyDown = 0x104;  // WM_SYSKEYDOWN
inline constexpr uint32_t kMessageSysCommand = 0x112;  // WM_SYSCOMMAND

// WINDOWSTYLE options, each bit tested and stored.
using WindowStyleOptions = vestil::WindowStyleOptions;
WindowStyleOptions DecodeStyleOptions(int32_t options);

// The pump rule: a message taken from the queue that is to be dispatched as
// WM_COMMAND (lParam 0, wParam its low word) under the options.
bool PumpedAsCommand(const WindowStyleOptions& o, uint32_t message);

// WINDOW x , y - w , h: what it asks, refused when any value is negative
// (message 223). The text grid then asks for w div 8 columns and h div 15
// rows; the grid keeps that within the planes it has (see TextGrid).
using WindowRect = vestil::WindowRect;
inline bool ValidWindowRect(const WindowRect& r) { return r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0; }

// STARTPAINT and ENDPAINT: what each is refused with, before any platform
// call (messages 221, 249, 124).
enum class PaintRefusal : uint8_t { kNone, kPrinting, kAlreadyPainting, kNotPainting };

struct WindowSettings {
  WindowStyleOptions options = DecodeStyleOptions(kDefaultStyleOptions);
  WindowRect rect;                         // WindowRect: applied at creation and by WINDOW
  int16_t page_width = 640, page_height = 480;  // PageWidth, PageHeight (SCREENCOPY)
  bool in_paint = false;                   // between STARTPAINT and ENDPAINT
  int32_t paint_window = 0;                // the window STARTPAINT named

  PaintRefusal CheckStartPaint(bool printing) const {
    if (printing) return PaintRefusal::kPrinting;
    return in_paint ? PaintRefusal::kAlreadyPainting : PaintRefusal::kNone;
  }
  PaintRefusal CheckEndPaint() const { return in_paint ? PaintRefusal::kNone : PaintRefusal::kNotPainting; }
};

}  // namespace vestil::gui
