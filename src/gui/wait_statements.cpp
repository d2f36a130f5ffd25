// The waits and the script timer (see wait_statements.h).
#include "gui/wait_statements.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

// The messages a console's input stands for, as the window records them.
constexpr uint32_t kKeyDownMessage = 0x100;
constexpr uint32_t kCharMessage = 0x102;
constexpr uint32_t kLeftButtonDownMessage = 0x201;

WaitFor WantedBy(gui::Wait w) {
  switch (w) {
    case gui::Wait::kWaitMouse:
      return WaitFor::kClick;
    case gui::Wait::kWaitInput:
      return WaitFor::kAny;
    default:
      return WaitFor::kKey;
  }
}

// The host's pump and sleep as the waits see them. What a console reads
// itself is recorded here as the window procedure records its messages; a
// tick of a console's timer is recorded after each pump.
class HostEventPump : public gui::EventPump {
 public:
  HostEventPump(Runtime& rt, gui::Wait w)
      : rt_(rt),
        ev_(rt.Family<GuiState>().model.events),
        wanted_(WantedBy(w)),
        timer_ends_(w == gui::Wait::kWaitInput),
        polls_(!gui::SleepsBetweenTests(w)) {}

  bool Pump() override {
    // A polling wait yields between two pumps (a console reads its key there).
    if (polls_ && pumped_) Record(rt_.host.events->WaitForEvent(wanted_, timer_ends_, true));
    pumped_ = true;
    rt_.host.screen->PumpMessages();
    if (rt_.host.events->TimerTicked()) ev_.Timer(1);
    return true;
  }

  void Sleep() override { Record(rt_.host.events->WaitForEvent(wanted_, timer_ends_, false)); }

 private:
  void Record(const InputEvent& e) {
    switch (e.kind) {
      case InputEvent::Kind::kNone:
        return;
      case InputEvent::Kind::kEnd:
        throw ProgramExit{255};
      case InputEvent::Kind::kKey:
        ev_.Pumped(kKeyDownMessage);
        ev_.Message(kKeyDownMessage);
        if (ev_.KeyDown(e.virtual_key) == gui::KeyResult::kBreak) throw ProgramExit{255};
        if (e.character) {
          ev_.Pumped(kCharMessage);
          ev_.Message(kCharMessage);
          if (ev_.Char(e.character) == gui::KeyResult::kBreak) throw ProgramExit{255};
        }
        return;
      case InputEvent::Kind::kClick:
        ev_.Pumped(kLeftButtonDownMessage);
        ev_.Message(kLeftButtonDownMessage);
        ev_.ButtonDown(gui::MouseButton::kLeft, ev_.mouse_x, ev_.mouse_y, rt_.host.events->MainWindowHandle());
        return;
    }
  }

  Runtime& rt_;
  gui::EventState& ev_;
  WaitFor wanted_;
  bool timer_ends_;
  bool polls_;
  bool pumped_ = false;
};

void Wait(Runtime& rt, gui::Wait w) {
  RunHostWait(rt, w);
  rt.loop.statement_handled = true;
}

void WaitKey(Runtime& rt) { Wait(rt, gui::Wait::kWaitKey); }
void WaitChar(Runtime& rt) { Wait(rt, gui::Wait::kWaitChar); }
void WaitMouse(Runtime& rt) { Wait(rt, gui::Wait::kWaitMouse); }
void WaitInput(Runtime& rt) { Wait(rt, gui::Wait::kWaitInput); }

// SETTIMER ms: a running timer is replaced, never refused.
void SetTimer(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kNumberDemand);
  const uint32_t ms = static_cast<uint32_t>(rt.eval.rr.l);
  gui::WindowModel& m = rt.Family<GuiState>().model;
  if (m.timer_set) rt.host.events->KillTimer();
  m.timer_set = true;
  rt.host.events->SetTimer(ms);
}

void KillTimer(Runtime& rt) {
  rt.loop.statement_handled = true;
  gui::WindowModel& m = rt.Family<GuiState>().model;
  if (!m.timer_set) {
    RuntimeError(rt, msg::kSetTimerMissing, "KILLTIMER");
    return;
  }
  rt.host.events->KillTimer();
  m.timer_set = false;
}

}  // namespace

void RunHostWait(Runtime& rt, gui::Wait w) {
  HostEventPump pump(rt, w);
  if (!gui::RunWait(rt.Family<GuiState>().model.events, w, pump)) throw ProgramExit{255};
}

void RegisterWaitStatements(Runtime& rt) {
  rt.statements[cmd::kWaitKey] = WaitKey;
  rt.statements[cmd::kWaitChar] = WaitChar;
  rt.statements[cmd::kWaitMouse] = WaitMouse;
  rt.statements[cmd::kWaitInput] = WaitInput;
  rt.statements[cmd::kSetTimer] = SetTimer;
  rt.statements[cmd::kKillTimer] = KillTimer;
}

}  // namespace vestil
