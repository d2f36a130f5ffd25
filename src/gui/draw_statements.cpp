// The drawing statements and @GETPIXEL (see draw_statements.h). Each figure
// is drawn on the output target and then on its shadow copy; while printing
// the coordinates are tenths (times 10), pixels are set once and figures
// twice, since both targets are the printer then.
#include "gui/draw_statements.h"

#include <array>
#include <optional>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }

uint32_t ColorOf(Runtime& rt, int32_t c) { return gui::ScriptColor(c, rt.system.true_color_mode); }

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kNumberDemand);
  return rt.eval.rr.l;
}

// Calls draw(target) on the output target, then on the shadow copy unless
// the kind is drawn once while printing.
template <typename Draw>
void OnTargets(Runtime& rt, gui::DrawKind kind, Draw draw) {
  const int passes = gui::DrawPasses(kind, Model(rt).printing);
  draw(DrawTarget::kTarget);
  if (passes > 1) draw(DrawTarget::kShadow);
}

// SETPIXEL x , y , colour and FILL x , y , colour: only where there is a window.
void PixelStatement(Runtime& rt, Figure figure) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  const bool printing = Model(rt).printing;
  std::array<int32_t, kMaxFigurePoints> p{};
  p[0] = gui::PrintScale(NumberArg(rt, ','), printing);
  p[1] = gui::PrintScale(NumberArg(rt, ','), printing);
  const uint32_t color = ColorOf(rt, NumberArg(rt, kRest));
  OnTargets(rt, gui::DrawKind::kPixelOrText,
            [&](DrawTarget t) { rt.host.canvas->Draw(t, figure, p.data(), color); });
}

void SetPixel(Runtime& rt) { PixelStatement(rt, Figure::kPixel); }
void Fill(Runtime& rt) { PixelStatement(rt, Figure::kFill); }

// The figures read their numbers with these separators and need no window
// (without one they draw nothing).
void FigureStatement(Runtime& rt, Figure figure, std::string_view separators) {
  rt.loop.statement_handled = true;
  const bool printing = Model(rt).printing;
  std::array<int32_t, kMaxFigurePoints> p{};
  for (size_t i = 0; i < separators.size() && i < p.size(); ++i)
    p[i] = gui::PrintScale(NumberArg(rt, separators[i]), printing);
  OnTargets(rt, gui::DrawKind::kFigure, [&](DrawTarget t) { rt.host.canvas->Draw(t, figure, p.data(), 0); });
}

constexpr char kPoint[] = {',', kRest, '\0'};
constexpr char kBox[] = {',', '-', ',', kRest, '\0'};
constexpr char kRoundBox[] = {',', '-', ',', ';', ',', kRest, '\0'};
constexpr char kBoxAndRays[] = {',', '-', ',', ';', ',', ';', ',', kRest, '\0'};

void Line(Runtime& rt) { FigureStatement(rt, Figure::kLine, kBox); }
void LineTo(Runtime& rt) { FigureStatement(rt, Figure::kLineTo, kPoint); }
void MoveTo(Runtime& rt) { FigureStatement(rt, Figure::kMoveTo, kPoint); }
void Rectangle(Runtime& rt) { FigureStatement(rt, Figure::kRectangle, kBox); }
void RoundRect(Runtime& rt) { FigureStatement(rt, Figure::kRoundRect, kRoundBox); }
void Pie(Runtime& rt) { FigureStatement(rt, Figure::kPie, kBoxAndRays); }
void Arc(Runtime& rt) { FigureStatement(rt, Figure::kArc, kBoxAndRays); }
void Chord(Runtime& rt) { FigureStatement(rt, Figure::kChord, kBoxAndRays); }
void Ellipse(Runtime& rt) { FigureStatement(rt, Figure::kEllipse, kBox); }

// USEBRUSH style , colour: edits the brush description and makes it the
// script's brush.
void UseBrush(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  const int32_t style = NumberArg(rt, ',');
  const uint32_t color = ColorOf(rt, NumberArg(rt, kRest));
  gui::BrushDescription& b = Model(rt).brush;
  gui::UseBrush(b, style, color);
  rt.host.canvas->UseBrush(b.style, b.color, b.hatch);
}

// USEPEN style , width , colour.
void UsePen(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  const int32_t style = NumberArg(rt, ',');
  const int32_t width = NumberArg(rt, ',');
  const uint32_t color = ColorOf(rt, NumberArg(rt, kRest));
  const gui::PenDescription pen = gui::UsePen(style, width, color, Model(rt).printing);
  rt.host.canvas->UsePen(pen.style, pen.width, pen.color);
}

// CLS [colour]: the console text and the whole window cleared, white or in
// the colour, which then is the script's brush. Makes the window.
void Cls(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "CLS")) return;
  std::optional<uint32_t> color;
  if (rt.loop.arg_text.find_first_not_of(' ') != std::string_view::npos) color = ColorOf(rt, NumberArg(rt, kRest));
  if (rt.host.canvas->EnsureWindow()) Model(rt).grid.Clear();
  rt.host.canvas->Clear(color);
}

// REPAINT: the window restored from the shadow copy, unless the script
// paints itself (PaintMode 0).
void Repaint(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "REPAINT")) return;
  if (Model(rt).paint_mode > 0) rt.host.canvas->Invalidate();
}

// @GETPIXEL(x, y): the colour at a pixel of the output target in the
// script's form; -1 where there is no pixel (outside the window, or no
// window at all).
void GetPixel(Runtime& rt, CallContext& ctx) {
  const int32_t x = NumberArg(rt, ',');
  const int32_t y = NumberArg(rt, ')');
  const uint32_t c = rt.host.canvas->GetPixel(x, y);
  NumberResult(rt, ctx, gui::ColorFromPlatform(c, rt.system.true_color_mode), kTypeLong);
}

}  // namespace

bool RequireWindow(Runtime& rt) {
  if (rt.host.canvas->HasTarget()) return true;
  RuntimeError(rt, msg::kWindowRequired, "");
  return false;
}

bool RefusedWhilePrinting(Runtime& rt, std::string_view keyword) {
  if (!Model(rt).printing) return false;
  RuntimeError(rt, msg::kForbiddenWhilePrinting, keyword);
  return true;
}

void RegisterDrawStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kSetPixel] = SetPixel;
  s[cmd::kFill] = Fill;
  s[cmd::kLine] = Line;
  s[cmd::kLineTo] = LineTo;
  s[cmd::kMoveTo] = MoveTo;
  s[cmd::kRectangle] = Rectangle;
  s[cmd::kRoundRect] = RoundRect;
  s[cmd::kPie] = Pie;
  s[cmd::kArc] = Arc;
  s[cmd::kChord] = Chord;
  s[cmd::kEllipse] = Ellipse;
  s[cmd::kUseBrush] = UseBrush;
  s[cmd::kUsePen] = UsePen;
  s[cmd::kCls] = Cls;
  s[cmd::kRepaint] = Repaint;
  rt.eval.functions[fn::kGetPixel] = GetPixel;
}

}  // namespace vestil
