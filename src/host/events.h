#pragma once
// Events: what the waits need of the platform besides the message pump
// (Screen::PumpMessages): sleeping until the next event, the script timer,
// and the window handles the event variables read.
//
// A window's events reach the window procedure while the pump runs; a
// console has no procedure and hands what it read back to the caller, which
// records it as the window would.
#include <cstdint>

namespace vestil {

// An event a host read itself: a key (with its character, 0 when the key
// has none), a click of the left button, or the end of the input (nobody can
// answer any more: the program ends as when the window is closed).
struct InputEvent {
  enum class Kind : uint8_t { kNone, kKey, kClick, kEnd };
  Kind kind = Kind::kNone;
  uint8_t virtual_key = 0;
  uint8_t character = 0;
};

// What ends the wait that sleeps: a key or character, a click or a command,
// or any input.
enum class WaitFor : uint8_t { kKey, kClick, kAny };

// A window rectangle in screen coordinates.
struct WindowEdges {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class Events {
 public:
  virtual ~Events() = default;
  // Sleeps until the next event (WaitMessage), or with `poll` only yields
  // the processor briefly. `timer_ends`: a tick of the script timer ends
  // this wait, so the sleep ends when the timer falls due.
  virtual InputEvent WaitForEvent(WaitFor wanted, bool timer_ends, bool poll) = 0;

  // The one script timer (identifier 1). SetTimer starts it with the
  // interval in milliseconds; KillTimer stops it.
  virtual void SetTimer(uint32_t ms) = 0;
  virtual void KillTimer() = 0;
  // True once when the timer fell due since the last call (ticks do not
  // queue). A window's timer reaches its procedure instead: false there.
  virtual bool TimerTicked() = 0;

  // %HWND, %TARGETDC, %SHADOWDC, %FONT (the script's font, 0 while the
  // output targets have their own) and the main window's edges; 0 without
  // a window.
  virtual int32_t MainWindowHandle() = 0;
  virtual int32_t TargetDcHandle() = 0;
  virtual int32_t ShadowDcHandle() = 0;
  virtual int32_t ScriptFontHandle() = 0;
  virtual WindowEdges MainWindowEdges() = 0;
};

}  // namespace vestil
