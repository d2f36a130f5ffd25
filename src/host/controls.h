#pragma once
// What the control functions ask of the platform: child controls and the
// script's own windows made, messages sent to them by handle, and the
// active, focused and shown state of windows. Handles travel as 32-bit
// numbers. Nothing here fails loudly: an invalid handle or a failed creation
// gives 0 (or the empty text), as the window system answers.
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

struct ControlPlace {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

class Controls {
 public:
  virtual ~Controls() = default;
  // A child window of a system class ("BUTTON", "EDIT", ...) with the given
  // style, text and identifier in `parent`; 0 when it is not made.
  virtual int32_t CreateControl(std::string_view class_name, uint32_t style, std::string_view text,
                                int32_t parent, const ControlPlace& place, int32_t id) = 0;
  // Loads the common controls library (before a multi-line edit).
  virtual void InitCommonControls() = 0;
  // Gives `window` the script's current font and redraws it.
  virtual void UseScriptFont(int32_t window) = 0;
  // The range of a scroll-bar control.
  virtual void SetScrollRange(int32_t bar, int32_t min, int32_t max) = 0;
  // A modeless dialog from the runner's empty template, captioned, placed
  // and shown; 0 when it is not made.
  virtual int32_t CreateEmptyDialog(int32_t parent, std::string_view caption, const ControlPlace& place) = 0;
  // A dialog from template `name` of `module` (0: the runner), shown; 0 when
  // the template does not load.
  virtual int32_t LoadDialog(int32_t module, int32_t parent, std::string_view name) = 0;
  // A window of the script's own class with the window style bits, shown.
  virtual int32_t CreateScriptWindow(int32_t parent, std::string_view caption, uint32_t style,
                                     const ControlPlace& place) = 0;

  // A message with number arguments; its result.
  virtual int32_t Send(int32_t window, uint32_t message, int32_t wparam, int32_t lparam) = 0;
  // A message whose lParam is a zero-terminated copy of `text`; its result.
  virtual int32_t SendText(int32_t window, uint32_t message, int32_t wparam, std::string_view text) = 0;
  // The window's text, at most 255 characters.
  virtual std::string WindowText(int32_t window) = 0;
  // Line `line` of an edit control, at most 255 characters; empty when the
  // control gives none.
  virtual std::string EditLine(int32_t window, int32_t line) = 0;
  // Item `index` of a list box (the caller has checked its length).
  virtual std::string ListItem(int32_t window, int32_t index) = 0;

  virtual int32_t DialogItem(int32_t dialog, int32_t id) = 0;
  virtual int32_t ActiveWindow() = 0;
  // Each gives the window that was active or focused before.
  virtual int32_t Activate(int32_t window) = 0;
  virtual int32_t Focus(int32_t window) = 0;
  // True when the window was visible before.
  virtual bool Show(int32_t window, int32_t command) = 0;
  virtual bool Destroy(int32_t window) = 0;
};

}  // namespace vestil
