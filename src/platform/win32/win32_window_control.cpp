// The window statements' platform side: WINDOW, STARTPAINT and ENDPAINT,
// SCROLLPOS and SCROLLRANGE.
#include "platform/win32/win32_dialog_class.h"

#include "platform/win32/win32_host.h"

namespace vestil {

// WINDOW: a window made here starts white on both planes unless its class
// background is NULL_BRUSH; then it takes the rectangle and is repainted
// from the shadow copy.
void Win32Screen::MoveMainWindow() {
  if (!main_window_) {
    if (!EnsureMainWindow()) return;
    if (!events_->StyleOptions().null_background) {
      for (void* dc : {target_dc_, shadow_dc_}) {
        HDC d = static_cast<HDC>(dc);
        HGDIOBJ old = SelectObject(d, GetStockObject(WHITE_BRUSH));
        PatBlt(d, 0, 0, screen_width_, screen_height_, PATCOPY);
        SelectObject(d, old);
      }
    }
  }
  const WindowRect r = events_->Placement();
  HWND window = Window(main_window_);
  SetWindowPos(window, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER);
  HoldGrid();
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

// STARTPAINT of another window: both planes become that window's DC until
// ENDPAINT. The main window keeps repainting from its own shadow meanwhile.
void Win32Screen::StartPaintWindow(int32_t number) {
  HWND window = WindowFromNumber(number);
  if (window == Window(main_window_)) return;
  saved_target_dc_ = target_dc_;
  saved_shadow_dc_ = shadow_dc_;
  HDC dc = GetDC(window);
  paint_window_ = window;
  paint_dc_ = target_dc_ = shadow_dc_ = dc;
}

void Win32Screen::EndPaintWindow() {
  if (!paint_dc_) return;
  ReleaseDC(Window(paint_window_), static_cast<HDC>(paint_dc_));
  target_dc_ = saved_target_dc_;
  shadow_dc_ = saved_shadow_dc_;
  paint_dc_ = paint_window_ = saved_target_dc_ = saved_shadow_dc_ = nullptr;
}

void Win32Screen::SetScrollPosition(int32_t control, int32_t position) {
  SetScrollPos(WindowFromNumber(control), SB_CTL, position, TRUE);
}

void Win32Screen::SetScrollLimits(int32_t control, int32_t min, int32_t max) {
  SetScrollRange(WindowFromNumber(control), SB_CTL, min, max, TRUE);
}

}  // namespace vestil
