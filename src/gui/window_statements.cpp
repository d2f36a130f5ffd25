// The window statements of the gui family (see window_statements.h).
#include "gui/window_statements.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

// WINDOWTITLE text: the caption, at once when the window exists.
void WindowTitle(Runtime& rt) {
  EvalArg(rt, kRest, kTextDemand);
  rt.host.screen->SetTitle(rt.eval.rr.text());
  rt.loop.statement_handled = true;
}

// COLOR fg , bg: the console colours of the text written afterwards (the
// palette indexes' low four bits); earlier text keeps its colours. The
// palette colours and an opaque background also stay in both output targets
// for graphic text, as a printed span leaves them, until TEXTCOLOR.
void Color(Runtime& rt) {
  rt.loop.statement_handled = true;
  gui::WindowModel& m = rt.Family<GuiState>().model;
  if (m.printing) {
    RuntimeError(rt, msg::kForbiddenWhilePrinting, "COLOR");
    return;
  }
  EvalArg(rt, ',', kNumberDemand);
  const int32_t fg = rt.eval.rr.l;
  EvalArg(rt, kRest, kNumberDemand);
  const int32_t bg = rt.eval.rr.l;
  m.grid.attribute = static_cast<uint8_t>((bg & 15) << 4 | (fg & 15));
  rt.host.canvas->SetTextColors(gui::PaletteForeground(m.grid.attribute), gui::PaletteBackground(m.grid.attribute),
                                false);
}

}  // namespace

void RegisterWindowStatements(Runtime& rt) {
  rt.InstallFamily<GuiState>();
  // The window reports its messages into the model from now on.
  if (rt.host.screen) rt.host.screen->ReportTo(&rt.Family<GuiState>().model);
  rt.statements[cmd::kWindowTitle] = WindowTitle;
  rt.statements[cmd::kColor] = Color;
}

}  // namespace vestil
