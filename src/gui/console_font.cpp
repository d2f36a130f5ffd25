// FONT n: the stock font of the console cells. Values from 4 up are ignored;
// negative values keep their two low bits.
#include "gui/console_font.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/runtime.h"
#include "gui/draw_statements.h"
#include "gui/gui_state.h"
#include "values/eval.h"

namespace vestil {
namespace {

void Font(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "FONT")) return;
  EvalArg(rt, kRest, kNumberDemand);
  int32_t n = rt.eval.rr.l;
  if (n < 4) {
    rt.console.text_font_index = n & 3;
    rt.Family<GuiState>().model.grid.font_index = static_cast<uint8_t>(n & 3);
  }
}

}  // namespace

void RegisterConsoleFont(Runtime& rt) { rt.statements[cmd::kFont] = Font; }

}  // namespace vestil
