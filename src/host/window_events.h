#pragma once
// The other direction of the window's seam: what a platform window reports
// to the runtime and the little it asks of it. The runtime hands its
// WindowEvents to the screen when it is assembled (Screen::ReportTo); the
// window procedures and the pump turn each message into one call here and do
// the platform side themselves (SetFocus, BeginPaint, ending the program).
// A screen without windows has nothing to report.
#include <array>
#include <cstdint>

#include "host/console.h"
#include "host/window_control.h"

namespace vestil {

// Event codes the window queues besides typed characters.
inline constexpr uint8_t kEventCommand = 1;    // control notification 1 (dialog-style procedures)
inline constexpr uint8_t kEventEscape = 2;     // Escape in the dialog-style procedures
inline constexpr uint8_t kEventSize = 4;       // WM_SIZE of the main or a "DIALOG" window
inline constexpr uint8_t kEventF1 = 5;         // F1, polled by the pump
inline constexpr uint8_t kEventEnter = 13;     // Enter in the dialog-style procedures
inline constexpr uint8_t kEventControl = 255;  // scroll bar or control notification

enum class MouseButton : uint8_t { kLeft, kRight };

// What a key message asks of the window: go on, or stop the script at once
// (exit code 255, the window stays open).
enum class KeyResult : uint8_t { kRecorded, kBreak };

// The procedure that received a WM_COMMAND under command rule B.
enum class DialogProcedure : uint8_t {
  kDialogStyleMain,  // "FENSTER" with option 0x200
  kDialogClass,      // "DIALOG" windows and windows from dialog templates
};

// What command rule B asks the window to do with the focus, in this order
// relative to queuing `code` (0: no code).
enum class DialogFocus : uint8_t {
  kNone,             // nothing beyond the code
  kNextAfterCode,    // queue the code, then SetFocus(GetWindow(GetFocus(), GW_HWNDNEXT))
  kClearThenCode,    // SetFocus(none), then queue the code
  kControlThenCode,  // SetFocus(control); FocusHandle := GetFocus(); then queue the code
  kRuleA,            // apply command rule A (Command) instead
};
struct DialogCommand {
  DialogFocus focus = DialogFocus::kNone;
  uint8_t code = 0;
};

// The cells of the console grid in use.
struct GridSize {
  int columns = 0, rows = 0;
};

class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // --- what happened ----------------------------------------------------------
  // Every message any procedure receives, first of all (0 when LINKSEND
  // starts waiting for its acknowledgement).
  virtual void Message(uint32_t id) = 0;
  // A message the pump took from the queue.
  virtual void Pumped(uint32_t id) = 0;
  virtual void PutEventCode(uint8_t code) = 0;
  // WM_KEYDOWN and WM_CHAR: kBreak asks the window to stop the script.
  virtual KeyResult KeyDown(uint32_t virtual_key) = 0;
  virtual KeyResult Char(uint32_t character) = 0;
  virtual void MouseMove(uint16_t x, uint16_t y) = 0;
  // Button messages of the main window (`window`, which takes the focus).
  virtual void ButtonDown(MouseButton b, uint16_t x, uint16_t y, int32_t window) = 0;
  virtual void ButtonUp(MouseButton b, uint16_t x, uint16_t y, int32_t window) = 0;
  // Child rule A (the main procedure's WM_PARENTNOTIFY; `focus` is
  // GetFocus()) and child rule B (dialog-style procedures).
  virtual void ChildButtonA(MouseButton b, uint16_t x, uint16_t y, int32_t focus) = 0;
  virtual void ChildButtonB(MouseButton b, uint16_t x, uint16_t y, bool focus_is_static) = 0;
  // Command rule A (`control` is lParam, 0 for a menu or an accelerator), and
  // rule B, which decides and queues nothing: the window queues the code in
  // the order the focus action names.
  virtual void Command(uint16_t id, int32_t control) = 0;
  virtual DialogCommand CommandRuleB(DialogProcedure proc, uint16_t id, uint16_t notification,
                                     int32_t control) = 0;
  // WM_HSCROLL / WM_VSCROLL after the scroll rule.
  virtual void ScrollMessage(int32_t focus) = 0;
  virtual void Timer(uintptr_t id) = 0;
  // The window that has the focus now (WM_SETFOCUS, a child's notification).
  virtual void Focus(int32_t window) = 0;
  // The DDE partner's window, from its acknowledgement.
  virtual void Partner(int32_t window) = 0;
  // WM_PAINT of the main window: true when it is to be restored from the
  // shadow copy; otherwise the script repaints. Then of "DIALOG" windows.
  virtual bool PaintMain() = 0;
  virtual void PaintDialog() = 0;
  // WM_CREATE of the main window: the console's planes for a screen of this
  // size, and the cell the stock fonts (by TextFontIndex) give.
  virtual ConsoleCells ConsoleCreated(int screen_width, int screen_height,
                                      const std::array<FontMetrics, 4>& fonts) = 0;
  // WM_DESTROY of the main window: the planes go.
  virtual void ConsoleDestroyed() = 0;

  // --- what the window asks -------------------------------------------------------
  // WINDOWSTYLE's options and WINDOW's rectangle as they stand now.
  virtual WindowStyleOptions StyleOptions() = 0;
  virtual WindowRect Placement() = 0;
  // The console grid in use, which the client area is to hold.
  virtual GridSize ConsoleGrid() = 0;
  // The pump rule: a message taken from the queue that is to be dispatched
  // as WM_COMMAND (lParam 0, wParam its low word) under the options.
  virtual bool PumpedAsCommand(uint32_t message) = 0;
  // The scroll rule: the new position of a scroll-bar control with range
  // min..max at `pos` after a request (`thumb`: the thumb's position).
  virtual int32_t ScrollRule(int32_t min, int32_t max, int32_t pos, int request, uint16_t thumb) = 0;
};

}  // namespace vestil
