#pragma once
// What the window statements ask of a platform window beyond the console:
// moving the main window, redirecting output into another window, scroll-bar
// controls and the DDE link to a partner program. A screen without windows
// (the console runner) has none; the statements then keep only their
// portable part (checks, settings, event record).
#include <cstdint>
#include <string_view>

namespace vestil {

// WINDOWSTYLE options, each bit tested and stored (see gui/window_settings.h).
struct WindowStyleOptions {
  uint32_t style = 0;              // the window style bits, WS_POPUP included
  bool no_menu = false;            // 0x10: no menu bar
  bool null_background = false;    // 0x20: NULL_BRUSH; WINDOW does not clear a new window
  bool sys_keys_command = false;   // 0x80: WM_SYSKEYDOWN and WM_SYSCOMMAND become commands
  bool sys_command = false;        // 0x100: WM_SYSCOMMAND becomes a command
  bool dialog_main = false;        // 0x200: the main window's dialog-style procedure
};

// WINDOW x , y - w , h: the main window's rectangle, applied at creation and
// by WINDOW.
struct WindowRect {
  int32_t x = 0, y = 0, width = 640, height = 480;
};

class WindowControl {
 public:
  virtual ~WindowControl() = default;
  // WINDOW: create the main window when it does not exist (cleared to white
  // unless its background is NULL_BRUSH), then move it to the rectangle of
  // the settings (WindowEvents::Placement) and repaint it.
  virtual void MoveMainWindow() = 0;
  // STARTPAINT of `window` (checked before): output goes into that window's
  // DC until EndPaintWindow; the main window itself changes no DC.
  virtual void StartPaintWindow(int32_t window) = 0;
  virtual void EndPaintWindow() = 0;
  // SCROLLPOS and SCROLLRANGE of a scroll-bar control, redrawn.
  virtual void SetScrollPosition(int32_t control, int32_t position) = 0;
  virtual void SetScrollLimits(int32_t control, int32_t min, int32_t max) = 0;
  // The DDE partner protocol: initiate with two global atoms, execute a text
  // in a shared block and wait for the acknowledgement, terminate. `partner`
  // is the partner's window the acknowledgement of LinkConnect named (0:
  // none).
  virtual void LinkConnect(std::string_view application, std::string_view topic) = 0;
  virtual void LinkSend(int32_t partner, std::string_view text) = 0;
  virtual void LinkClose(int32_t partner) = 0;
};

}  // namespace vestil
