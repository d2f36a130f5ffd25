// The text statements beside the console (see text_statements.h).
#include "gui/text_statements.h"

#include <string>

#include "base/tokens.h"
#include "core/dialog_list.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "gui/draw_statements.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {

namespace gui {

std::vector<BoxGlyph> BoxGlyphs(const std::vector<BoxCell>& cells, const CellMetrics& cell) {
  std::vector<BoxGlyph> glyphs;
  glyphs.reserve(cells.size() * 2);
  for (int lower = 0; lower <= 1; ++lower)
    for (const BoxCell& c : cells) {
      const Pixel at = CellPixel(cell, c.column, c.row);
      glyphs.push_back(BoxGlyph{at.x, at.y + lower, static_cast<char>(c.ch)});
    }
  return glyphs;
}

}  // namespace gui

namespace {

// The frame characters are those of the OEM fixed font.
constexpr int kBoxFontIndex = 1;
constexpr int kBoldWeight = 700, kNormalWeight = 400;
constexpr uint8_t kAnsiCharset = 0, kOemCharset = 255, kSymbolCharset = 2;

gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }

uint32_t ColorOf(Runtime& rt, int32_t c) { return gui::ScriptColor(c, rt.system.true_color_mode); }

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kNumberDemand);
  return rt.eval.rr.l;
}

// TBOX row1 , col1 - row2 , col2 ; style: a frame of line characters in the
// console's cells, drawn over the text (the grid keeps its characters); the
// text cursor goes to the first cell inside. Without a window (the console
// runner) only the cursor moves.
void TBox(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "TBOX")) return;
  const int32_t row1 = NumberArg(rt, ',');
  const int32_t col1 = NumberArg(rt, '-');
  const int32_t row2 = NumberArg(rt, ',');
  const int32_t col2 = NumberArg(rt, ';');
  const int32_t style = NumberArg(rt, kRest);
  gui::WindowModel& m = Model(rt);
  const bool window = rt.host.canvas->EnsureWindow();
  std::vector<gui::BoxCell> cells;
  if (!m.grid.Box(row1, col1, row2, col2, style, cells)) {
    RuntimeError(rt, msg::kBoxOutsideWindow, "");
    return;
  }
  if (!window) {
    rt.host.screen->MoveCursor(m.grid.cursor_x(), m.grid.cursor_y());
    return;
  }
  const uint32_t fg = gui::PaletteForeground(m.grid.attribute), bg = gui::PaletteBackground(m.grid.attribute);
  for (const gui::BoxGlyph& g : gui::BoxGlyphs(cells, m.cell))
    for (DrawTarget t : {DrawTarget::kTarget, DrawTarget::kShadow})
      rt.host.canvas->DrawConsoleText(t, g.x, g.y, std::string_view(&g.ch, 1), kBoxFontIndex, m.cell.width, fg, bg);
}

// DRAWTEXT x , y , text: at a pixel, with the script's font and colours.
void DrawText(Runtime& rt) {
  rt.loop.statement_handled = true;
  const bool printing = Model(rt).printing;
  const int32_t x = gui::PrintScale(NumberArg(rt, ','), printing);
  const int32_t y = gui::PrintScale(NumberArg(rt, ','), printing);
  EvalArg(rt, kRest, kTextDemand);
  const std::string text = rt.eval.rr.text().str();
  if (!RequireWindow(rt)) return;
  rt.host.canvas->DrawString(DrawTarget::kTarget, x, y, text);
  if (gui::DrawPasses(gui::DrawKind::kPixelOrText, printing) > 1)
    rt.host.canvas->DrawString(DrawTarget::kShadow, x, y, text);
}

// USEFONT name , height , width , bold , italic , underline: the script's
// font, turned by FONTANGLE and in the CHARSET chosen before.
void UseFont(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  const gui::WindowModel& m = Model(rt);
  FontRequest f;
  EvalArg(rt, ',', kTextDemand);
  f.name = rt.eval.rr.text().str();
  f.height = gui::PrintScale(NumberArg(rt, ','), m.printing);
  f.width = gui::PrintScale(NumberArg(rt, ','), m.printing);
  f.weight = NumberArg(rt, ',') != 0 ? kBoldWeight : kNormalWeight;
  f.italic = NumberArg(rt, ',') != 0;
  f.underline = NumberArg(rt, kRest) != 0;
  f.escapement = m.font_escapement;
  f.charset = m.font_charset;
  rt.host.canvas->UseFont(f);
}

// CHARSET n: 0 ANSI, 1 OEM, 2 symbols; other values change nothing.
void Charset(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t n = NumberArg(rt, kRest);
  uint8_t& charset = Model(rt).font_charset;
  if (n == 0) charset = kAnsiCharset;
  else if (n == 1) charset = kOemCharset;
  else if (n == 2) charset = kSymbolCharset;
}

void FontAngle(Runtime& rt) {
  rt.loop.statement_handled = true;
  Model(rt).font_escapement = NumberArg(rt, kRest);
}

// TEXTCOLOR fg , bg: the colours of graphic text; a background of -1 is
// transparent.
void TextColor(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t fg = NumberArg(rt, ',');
  const int32_t bg = NumberArg(rt, kRest);
  rt.host.canvas->SetTextColors(ColorOf(rt, fg), ColorOf(rt, bg), bg == -1);
}

// ENUMFONTS: the family names of the target's fonts appended to the dialog
// list; message 232 when it is full.
void EnumFonts(Runtime& rt) {
  rt.loop.statement_handled = true;
  for (const std::string& name : rt.host.canvas->FontFamilies()) {
    if (!ListAdd(rt, name)) {
      RuntimeError(rt, msg::kTooManyItems, "");
      return;
    }
  }
}

void ControlFont(Runtime& rt) {
  rt.loop.statement_handled = true;
  Model(rt).controls_use_script_font = NumberArg(rt, kRest) != 0;
}

}  // namespace

void RegisterTextStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kTBox] = TBox;
  s[cmd::kDrawText] = DrawText;
  s[cmd::kUseFont] = UseFont;
  s[cmd::kCharset] = Charset;
  s[cmd::kFontAngle] = FontAngle;
  s[cmd::kTextColor] = TextColor;
  s[cmd::kEnumFonts] = EnumFonts;
  s[cmd::kControlFont] = ControlFont;
}

}  // namespace vestil
