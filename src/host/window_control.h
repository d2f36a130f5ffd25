#pragma once
// What the window statements ask of a platform window beyond the console:
// moving the main window, redirecting output into another window, scroll-bar
// controls and the DDE link to a partner program. A screen without windows
// (the console runner) has none; the statements then keep only their
// portable part (checks, settings, event record).
#include <cstdint>
#include <string_view>

namespace vestil {

class WindowControl {
 public:
  virtual ~WindowControl() = default;
  // WINDOW: create the main window when it does not exist (cleared to white
  // unless its background is NULL_BRUSH), then move it to the rectangle of
  // the settings and repaint it.
  virtual void MoveMainWindow() = 0;
  // STARTPAINT of `window` (checked before): output goes into that window's
  // DC until EndPaintWindow; the main window itself changes no DC.
  virtual void StartPaintWindow(int32_t window) = 0;
  virtual void EndPaintWindow() = 0;
  // SCROLLPOS and SCROLLRANGE of a scroll-bar control, redrawn.
  virtual void SetScrollPosition(int32_t control, int32_t position) = 0;
  virtual void SetScrollLimits(int32_t control, int32_t min, int32_t max) = 0;
  // The DDE partner protocol: initiate with two global atoms, execute a text
  // in a shared block and wait for the acknowledgement, terminate.
  virtual void LinkConnect(std::string_view application, std::string_view topic) = 0;
  virtual void LinkSend(std::string_view text) = 0;
  virtual void LinkClose() = 0;
};

}  // namespace vestil
