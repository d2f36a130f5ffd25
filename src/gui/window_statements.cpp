// The window statements of the gui family (see window_statements.h).
#include "gui/window_statements.h"

#include "base/tokens.h"
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

}  // namespace

void RegisterWindowStatements(Runtime& rt) {
  rt.InstallFamily<GuiState>();
  rt.statements[cmd::kWindowTitle] = WindowTitle;
}

}  // namespace vestil
