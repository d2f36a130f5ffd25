// The waits on the event record (see waits.h).
#include "gui/waits.h"

namespace vestil::gui {

void BeginWait(EventState& ev, Wait w) {
  switch (w) {
    case Wait::kWaitKey:
      ev.last_virtual_key = 0;
      break;
    case Wait::kWaitChar:
    case Wait::kWaitKeyText:
      ev.last_event_code = 0;
      ev.last_virtual_key = 0;
      break;
    case Wait::kWaitMouse:
      ev.right_button_down = ev.left_button_down = false;
      ev.command_code = 0;
      break;
    case Wait::kWaitInput:
      // RepaintRequested is left alone: a pending repaint ends the wait at
      // once, and the script clears it by reading %REPAINT.
      ev.in_event_wait = true;
      ev.right_button_down = ev.left_button_down = false;
      ev.command_code = 0;
      ev.timer_fired = false;
      ev.f1_pressed = false;
      ev.child_left_click = ev.child_right_click = false;
      ev.last_event_code = 0;
      ev.last_virtual_key = 0;
      break;
    case Wait::kReadKey:
      break;
  }
}

bool WaitEnded(const EventState& ev, Wait w) {
  switch (w) {
    case Wait::kWaitKey:
      return ev.last_virtual_key != 0;
    case Wait::kWaitChar:
    case Wait::kWaitKeyText:
      return ev.last_event_code != 0 || ev.last_virtual_key != 0;
    case Wait::kWaitMouse:
      return ev.right_button_down || ev.left_button_down || ev.command_code != 0;
    case Wait::kWaitInput:
      return ev.last_virtual_key != 0 || ev.left_button_down || ev.last_event_code != 0 || ev.right_button_down ||
             ev.child_left_click || ev.child_right_click || ev.repaint_requested || ev.timer_fired ||
             ev.command_code != 0;
    case Wait::kReadKey:
      return ev.HasKey();
  }
  return true;
}

void EndWait(EventState& ev, Wait w) {
  switch (w) {
    case Wait::kWaitInput:
      ev.in_event_wait = false;
      [[fallthrough]];
    case Wait::kWaitKey:
    case Wait::kWaitChar:
    case Wait::kWaitKeyText:
      ev.wait_result = ev.last_event_code;
      break;
    case Wait::kWaitMouse:
    case Wait::kReadKey:
      break;
  }
}

bool SleepsBetweenTests(Wait w) { return w != Wait::kWaitKeyText && w != Wait::kReadKey; }

bool RunWait(EventState& ev, Wait w, EventPump& pump) {
  BeginWait(ev, w);
  const bool sleeps = SleepsBetweenTests(w);
  for (;;) {
    if (!pump.Pump()) {
      ev.in_event_wait = false;
      return false;
    }
    if (WaitEnded(ev, w)) break;
    if (sleeps) pump.Sleep();
  }
  EndWait(ev, w);
  return true;
}

}  // namespace vestil::gui
