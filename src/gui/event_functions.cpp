// The keyboard and mouse functions and the event variables (see
// event_functions.h). They read the window's event record; the reads that
// clear their state are marked.
#include "gui/event_functions.h"

#include <string>

#include "base/tokens.h"
#include "core/runtime.h"
#include "gui/wait_statements.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

gui::EventState& Ev(Runtime& rt) { return rt.Family<GuiState>().model.events; }

int32_t IntArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.i;
}

void Flag(Runtime& rt, CallContext& ctx, bool v) { NumberResult(rt, ctx, v ? 1 : 0, kTypeInteger); }

// @INKEY$: the last event code as a character (none: the empty text); read
// and cleared.
void Inkey(Runtime& rt, CallContext& ctx) {
  const uint8_t code = Ev(rt).TakeInkey();
  TextResult(rt, ctx, code ? std::string(1, static_cast<char>(code)) : std::string());
}

// @WAITKEY$: polls until a key or an event code arrives; the code (0 for a
// key without a character) as a one-character text.
void WaitKeyText(Runtime& rt, CallContext& ctx) {
  RunHostWait(rt, gui::Wait::kWaitKeyText);
  TextResult(rt, ctx, std::string(1, static_cast<char>(Ev(rt).wait_result)));
}

void KeyIn(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  const ShortString set = rt.eval.rr.text();
  Flag(rt, ctx, Ev(rt).KeyIn(std::string_view(set)));
}

void IsKey(Runtime& rt, CallContext& ctx) { Flag(rt, ctx, Ev(rt).IsKey(IntArg(rt, ')'))); }
void IsCommand(Runtime& rt, CallContext& ctx) { Flag(rt, ctx, Ev(rt).IsCommand(IntArg(rt, ')'))); }

void MouseIn(Runtime& rt, CallContext& ctx) {
  const int32_t x1 = IntArg(rt, ','), y1 = IntArg(rt, '-');
  const int32_t x2 = IntArg(rt, ','), y2 = IntArg(rt, ')');
  Flag(rt, ctx, Ev(rt).MouseIn(x1, y1, x2, y2));
}

void MouseCell(Runtime& rt, CallContext& ctx) {
  const int32_t row1 = IntArg(rt, ','), col1 = IntArg(rt, '-');
  const int32_t row2 = IntArg(rt, ','), col2 = IntArg(rt, ')');
  Flag(rt, ctx, Ev(rt).MouseCell(row1, col1, row2, col2));
}

// --- system variables ---------------------------------------------------------

void MouseX(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).mouse_x; }
void MouseY(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).mouse_y; }
// %MOUSEKEY: pumps first; read and cleared.
void MouseKey(Runtime& rt, uint8_t) {
  rt.host.screen->PumpMessages();
  rt.eval.rr.i = Ev(rt).MouseButtons(true);
}
void MouseButtons(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).MouseButtons(false); }
void Command(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).command_code; }
void WaitResult(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).wait_result; }
void VKey(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).last_virtual_key; }
void TargetDc(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->TargetDcHandle(); }
void ShadowDc(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->ShadowDcHandle(); }
void Hwnd(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->MainWindowHandle(); }
void WinTop(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->MainWindowEdges().top; }
void WinBottom(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->MainWindowEdges().bottom; }
void WinLeft(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->MainWindowEdges().left; }
void WinRight(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->MainWindowEdges().right; }
// %FOCUS: negated while F1 is held in WAITINPUT.
void Focus(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).FocusValue(rt.host.screen->FocusHandle()); }
void Activity(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).TakeActivity(); }
void LastMessage(Runtime& rt, uint8_t) { rt.eval.rr.i = static_cast<int32_t>(Ev(rt).last_message); }
void Font(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.events->ScriptFontHandle(); }
void Partner(Runtime& rt, uint8_t) { rt.eval.rr.l = Ev(rt).partner_window; }
// %TIMER: a console's timer is read off its clock here, as a pump would.
void Timer(Runtime& rt, uint8_t) {
  gui::EventState& ev = Ev(rt);
  if (rt.host.events->TimerTicked()) ev.Timer(1);
  rt.eval.rr.i = ev.TakeTimer();
}
void Repaint(Runtime& rt, uint8_t) { rt.eval.rr.i = Ev(rt).TakeRepaint(); }

}  // namespace

void RegisterEventFunctions(Runtime& rt) {
  // The loop's rule for CommandCode works on the window's record.
  rt.events.command_code = &Ev(rt).command_code;

  auto& f = rt.eval.functions;
  f[fn::kInkey] = Inkey;
  f[fn::kWaitKey] = WaitKeyText;
  f[fn::kKeyIn] = KeyIn;
  f[fn::kIsKey] = IsKey;
  f[fn::kIsCommand] = IsCommand;
  f[fn::kMouseIn] = MouseIn;
  f[fn::kMouseCell] = MouseCell;

  auto& v = rt.eval.system_variables;
  v[sv::kMouseX] = MouseX;
  v[sv::kMouseY] = MouseY;
  v[sv::kMouseKey] = MouseKey;
  v[sv::kMouseButtons] = MouseButtons;
  v[sv::kCommand] = Command;
  v[sv::kWaitResult] = WaitResult;
  v[sv::kVKey] = VKey;
  v[sv::kTargetDc] = TargetDc;
  v[sv::kShadowDc] = ShadowDc;
  v[sv::kHwnd] = Hwnd;
  v[sv::kWinTop] = WinTop;
  v[sv::kWinBottom] = WinBottom;
  v[sv::kWinLeft] = WinLeft;
  v[sv::kWinRight] = WinRight;
  v[sv::kFocus] = Focus;
  v[sv::kActivity] = Activity;
  v[sv::kLastMessage] = LastMessage;
  v[sv::kFont] = Font;
  v[sv::kPartner] = Partner;
  v[sv::kTimer] = Timer;
  v[sv::kRepaint] = Repaint;
}

}  // namespace vestil
