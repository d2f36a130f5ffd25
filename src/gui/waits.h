#pragma once
// The waits on the event record: what each clears when it starts, the
// condition that ends it, and what it leaves behind. A host drives them
// through EventPump: pump, test, and sleep only while the condition is false,
// so an event queued before the wait ends it after the first pump.
#include "gui/event_state.h"

namespace vestil::gui {

enum class Wait : uint8_t {
  kWaitKey,     // WAITKEY: a key pressed (WM_KEYDOWN)
  kWaitChar,    // WAITCHAR: a key or an event code
  kWaitMouse,   // WAITMOUSE: a button pressed or a command
  kWaitInput,   // WAITINPUT: any input, a timer tick or a repaint request
  kWaitKeyText, // @WAITKEY$: as WAITCHAR, polling without sleeping
  kReadKey,     // the console's ReadKey: a queued code, polling without sleeping
};

// The host side of a wait. Pump processes every waiting message and returns
// false when the program is to end (WM_QUIT, a break); Sleep blocks until
// the next message arrives (WaitMessage).
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual bool Pump() = 0;
  virtual void Sleep() = 0;
};

// Clears what the wait clears at entry.
void BeginWait(EventState& ev, Wait w);
// The end condition, tested after each pump.
bool WaitEnded(const EventState& ev, Wait w);
// What the wait leaves: WaitResult, the end of WAITINPUT's InEventWait.
void EndWait(EventState& ev, Wait w);
// Whether the wait sleeps between tests (the statements) or polls (@WAITKEY$
// and ReadKey pump again at once; the host may yield the processor).
bool SleepsBetweenTests(Wait w);

// The whole wait: begin, pump and test until the condition holds, end.
// False when the pump reported the end of the program (InEventWait is
// cleared then too).
bool RunWait(EventState& ev, Wait w, EventPump& pump);

}  // namespace vestil::gui
