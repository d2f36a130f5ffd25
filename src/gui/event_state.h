#pragma once
// The event record of the script window: what the window procedures and the
// message pump write and what system variables, functions and waits read.
//
// Plain data and rules, no platform calls: the window model hands the Win32
// window a WindowEvents (host/window_events.h) whose calls land here (the
// table next to each operation names the message); the window does the
// platform side itself (SetFocus, BeginPaint, ending the program). The
// console runner drives the same record from standard input.
#include <array>
#include <cstdint>
#include <string_view>

#include "host/window_events.h"

namespace vestil::gui {

// The event codes, mouse buttons, key results and command rule B's answers
// are the seam's (host/window_events.h).
using vestil::kEventCommand;
using vestil::kEventEscape;
using vestil::kEventSize;
using vestil::kEventF1;
using vestil::kEventEnter;
using vestil::kEventControl;
using vestil::MouseButton;
using vestil::KeyResult;
using vestil::DialogProcedure;
using vestil::DialogFocus;
using vestil::DialogCommand;

inline constexpr uint8_t kBreakCode = 3;  // Ctrl+C as a character, VK_CANCEL as a key
inline constexpr int kKeyBufferSize = 64;
inline constexpr uint16_t kLeerMenuItem = 32767;  // the single item of the menu "LEER"

struct EventState {
  // --- the fields (names as the system variables read them) -----------------
  std::array<uint8_t, kKeyBufferSize> key_buffer{};  // a ring: key_head is the oldest
  uint16_t key_head = 0;
  uint16_t key_count = 0;
  uint8_t last_event_code = 0;
  uint8_t last_virtual_key = 0;
  uint8_t wait_result = 0;
  uint16_t mouse_x = 0, mouse_y = 0;
  bool left_button_down = false;
  bool right_button_down = false;
  bool child_left_click = false;
  bool child_right_click = false;
  int32_t focus_handle = 0;
  int16_t command_code = 0;
  uint32_t last_message = 0;
  bool user_activity = false;
  bool repaint_requested = false;
  bool timer_fired = false;
  bool f1_pressed = false;
  bool in_event_wait = false;
  int32_t partner_window = 0;
  // Ctrl+C and Ctrl+Break stop the script; after the stop (the window kept
  // open until the user closes it) they no longer end anything.
  bool break_enabled = true;

  // --- writers: the window procedures and the pump ----------------------------

  // Queues an event code (dropped when 64 are queued; LastEventCode is set
  // anyway, a code 0 as 1). Code 5 sets F1Pressed while WAITINPUT waits; any
  // other code clears it.
  void PutEventCode(uint8_t code);
  // Every message any procedure receives, first of all.
  void Message(uint32_t id) { last_message = id; }
  // A message taken from the queue by the pump: keyboard (0x100..0x108) and
  // mouse (0x200..0x209) messages count as user activity.
  void Pumped(uint32_t id);
  // WM_KEYDOWN: VK_CANCEL (Ctrl+Break) stops the script; otherwise the low
  // byte of the virtual key is recorded.
  KeyResult KeyDown(uint32_t virtual_key);
  // WM_CHAR: Ctrl+C stops the script before it is queued.
  KeyResult Char(uint32_t character);
  void MouseMove(uint16_t x, uint16_t y);
  // Button messages of the main window; `window` is the main window, which
  // takes the focus.
  void ButtonDown(MouseButton b, uint16_t x, uint16_t y, int32_t window);
  void ButtonUp(MouseButton b, uint16_t x, uint16_t y, int32_t window);
  // Child rule A (WM_PARENTNOTIFY in the main procedure) for a button press
  // in a child; `focus` is GetFocus(). Other child events only set the focus.
  void ChildButtonA(MouseButton b, uint16_t x, uint16_t y, int32_t focus);
  // Child rule B (dialog-style procedures). `focus_is_static`: the class name
  // of the focused window begins with "S". The window clears the focus
  // itself for a right press.
  void ChildButtonB(MouseButton b, uint16_t x, uint16_t y, bool focus_is_static);
  // Command rule A: `control` is lParam (0 for a menu or an accelerator).
  void Command(uint16_t id, int32_t control);
  // Command rule B: decides, queues nothing; the window queues `code` with
  // PutEventCode in the order the focus action names.
  static DialogCommand RuleB(DialogProcedure proc, uint16_t id, uint16_t notification, int32_t control);
  // WM_HSCROLL / WM_VSCROLL (after the scroll rule): focus and code 255.
  void ScrollMessage(int32_t focus);
  void Timer(uintptr_t id) {
    if (id == 1) timer_fired = true;
  }
  // Paint rule of the main window: true when the window is to be restored
  // from the shadow bitmap; with PaintMode 0 the script repaints.
  bool PaintMain(int paint_mode);
  // WM_PAINT of "DIALOG" windows and dialog-template windows.
  void PaintDialog(int paint_mode) {
    if (paint_mode < 2) repaint_requested = true;
  }
  void Partner(int32_t window) { partner_window = window; }

  // --- readers --------------------------------------------------------------

  bool HasKey() const { return key_count != 0; }
  // The oldest queued code; false when none is queued.
  bool TakeKey(uint8_t& code);
  // @INKEY$: the last event code, then cleared (0: nothing, the empty text).
  uint8_t TakeInkey();
  // %MOUSEKEY (clear) and %MOUSEBUTTONS: 1 when the left button is down
  // (left wins), 2 for the right, else 0.
  int MouseButtons(bool clear);
  bool TakeActivity() { return Take(user_activity); }
  bool TakeRepaint() { return Take(repaint_requested); }
  bool TakeTimer() { return Take(timer_fired); }
  // %FOCUS: the handle, negated while F1 is held in WAITINPUT.
  int32_t FocusValue(int32_t handle) const { return f1_pressed ? -handle : handle; }
  // @KEYIN: the character of WaitResult occurs in the set.
  bool KeyIn(std::string_view set) const { return set.find(static_cast<char>(wait_result)) != set.npos; }
  bool IsKey(int32_t n) const { return n == last_virtual_key; }
  bool IsCommand(int32_t n) const { return n == command_code; }
  // @MOUSEIN: inclusive bounds; x1 > x2 never matches.
  bool MouseIn(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;
  // @MOUSECELL: text cells of 8 x 13 pixels, 1-based.
  bool MouseCell(int32_t row1, int32_t col1, int32_t row2, int32_t col2) const;

 private:
  static bool Take(bool& flag) {
    bool v = flag;
    flag = false;
    return v;
  }
};

}  // namespace vestil::gui
