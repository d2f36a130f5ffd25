// The statements that set up and steer the script window (see
// window_control_statements.h). The checks and the settings are portable;
// what needs a window goes to the screen's WindowControl, which the console
// runner does not have.
#include "gui/window_control_statements.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr int kMaxPaintMode = 2;

gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }

int32_t TakeInt(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kNumberDemand);
  return rt.eval.rr.l;
}

// PAINTMODE n: 0 the script repaints, 1 and 2 the window is restored from
// its shadow copy.
void PaintMode(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t n = TakeInt(rt, kRest);
  if (n < 0 || n > kMaxPaintMode) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    return;
  }
  Model(rt).paint_mode = n;
}

void StartPaint(Runtime& rt) {
  rt.loop.statement_handled = true;
  gui::WindowModel& m = Model(rt);
  switch (m.settings.CheckStartPaint(m.printing)) {
    case gui::PaintRefusal::kPrinting:
      RuntimeError(rt, msg::kForbiddenWhilePrinting, "STARTPAINT");
      return;
    case gui::PaintRefusal::kAlreadyPainting:
      RuntimeError(rt, msg::kForbiddenWhilePainting, "STARTPAINT");
      return;
    default:
      break;
  }
  const int32_t window = TakeInt(rt, kRest);
  if (WindowControl* c = rt.host.screen->Control()) c->StartPaintWindow(window);
  m.settings.paint_window = window;
  m.settings.in_paint = true;
}

void EndPaint(Runtime& rt) {
  rt.loop.statement_handled = true;
  gui::WindowModel& m = Model(rt);
  if (m.settings.CheckEndPaint() != gui::PaintRefusal::kNone) {
    RuntimeError(rt, msg::kStartPaintMissing, "");
    return;
  }
  if (WindowControl* c = rt.host.screen->Control()) c->EndPaintWindow();
  m.settings.in_paint = false;
  m.settings.paint_window = 0;
  rt.host.screen->PumpMessages();
}

// WINDOW x , y - w , h
void Window(Runtime& rt) {
  rt.loop.statement_handled = true;
  gui::WindowRect r;
  r.x = TakeInt(rt, ',');
  r.y = TakeInt(rt, '-');
  r.width = TakeInt(rt, ',');
  r.height = TakeInt(rt, kRest);
  if (!gui::ValidWindowRect(r)) {
    RuntimeError(rt, msg::kNegativeWindowSize, "");
    return;
  }
  gui::WindowModel& m = Model(rt);
  // The grid asks for the new size; it never grows past the planes it has.
  m.grid.SetWindowSize(r.width, r.height);
  m.settings.rect = r;
  m.settings.page_width = static_cast<int16_t>(r.width);
  m.settings.page_height = static_cast<int16_t>(r.height);
  if (WindowControl* c = rt.host.screen->Control()) c->MoveMainWindow();
}

void WindowStyle(Runtime& rt) {
  rt.loop.statement_handled = true;
  Model(rt).settings.options = gui::DecodeStyleOptions(TakeInt(rt, kRest));
}

// SETCOMMAND n: CommandCode := the low 16 bits of n, in the window's event
// record (the statement loop turns 255 into 254 there before each statement).
void SetCommand(Runtime& rt) {
  rt.loop.statement_handled = true;
  Model(rt).events.command_code = static_cast<int16_t>(static_cast<uint16_t>(TakeInt(rt, kRest)));
}

void ScrollPos(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t control = TakeInt(rt, ',');
  const int32_t pos = TakeInt(rt, kRest);
  if (WindowControl* c = rt.host.screen->Control()) c->SetScrollPosition(control, pos);
}

void ScrollRange(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t control = TakeInt(rt, ',');
  const int32_t min = TakeInt(rt, ',');
  const int32_t max = TakeInt(rt, kRest);
  if (WindowControl* c = rt.host.screen->Control()) c->SetScrollLimits(control, min, max);
}

void LinkConnect(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, ',', kTextDemand);
  const ShortString application = rt.eval.rr.text();
  EvalArg(rt, kRest, kTextDemand);
  const ShortString topic = rt.eval.rr.text();
  if (WindowControl* c = rt.host.screen->Control()) c->LinkConnect(application, topic);
}

void LinkSend(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kTextDemand);
  const ShortString text = rt.eval.rr.text();
  if (WindowControl* c = rt.host.screen->Control()) {
    c->LinkSend(Model(rt).events.partner_window, text);
    return;
  }
  // No partner to wait for: the acknowledgement loop's reset only.
  Model(rt).events.last_message = 0;
}

void LinkClose(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (WindowControl* c = rt.host.screen->Control()) c->LinkClose(Model(rt).events.partner_window);
  Model(rt).events.partner_window = 0;
}


}  // namespace

void RegisterWindowControlStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kPaintMode] = PaintMode;
  s[cmd::kStartPaint] = StartPaint;
  s[cmd::kEndPaint] = EndPaint;
  s[cmd::kWindow] = Window;
  s[cmd::kWindowStyle] = WindowStyle;
  s[cmd::kSetCommand] = SetCommand;
  s[cmd::kScrollPos] = ScrollPos;
  s[cmd::kScrollRange] = ScrollRange;
  s[cmd::kLinkConnect] = LinkConnect;
  s[cmd::kLinkSend] = LinkSend;
  s[cmd::kLinkClose] = LinkClose;
}

}  // namespace vestil
