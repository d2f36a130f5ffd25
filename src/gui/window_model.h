#pragma once
// The seam between the portable window model and the platform window.
//
// WindowModel is the state the window procedures, the pump and the
// statements share. The platform side translates each message into a call on
// `events` (or `grid`), runs the waits through an EventPump, and paints what
// the models return through a GridPainter: it draws and scrolls, the models
// decide. Nothing here includes a platform header.
#include <vector>

#include "gui/draw_rules.h"
#include "gui/event_state.h"
#include "gui/text_grid.h"
#include "gui/waits.h"
#include "gui/window_settings.h"

namespace vestil::gui {

inline constexpr int kDefaultPaintMode = 2;  // set when a program starts

struct WindowModel {
  EventState events;
  TextGrid grid;
  CellMetrics cell;
  int metric_font_index = 2;  // MetricFontIndex
  int paint_mode = kDefaultPaintMode;  // PaintMode 0..2
  bool has_focus = false;     // the caret shows only while ReadKey waits focused
  bool printing = false;      // console statements refuse with message 221
  double printer_scale_x = 0, printer_scale_y = 0;  // the printer's pixels per inch / 3
  bool timer_set = false;     // SETTIMER / KILLTIMER (250 when not set)
  BrushDescription brush;     // the description USEBRUSH edits
  WindowSettings settings;    // WINDOWSTYLE, WINDOW, STARTPAINT
  // Graphic text: CHARSET, FONTANGLE (used by the next USEFONT) and
  // CONTROLFONT (new controls get the script's font).
  uint8_t font_charset = 0;   // FontCharset: 0 ANSI, 255 OEM, 2 SYMBOL
  int32_t font_escapement = 0;  // FontEscapement, tenths of a degree
  bool controls_use_script_font = false;
  int32_t bitmap_width = 0, bitmap_height = 0;  // %BMPWIDTH, %BMPHEIGHT: the last bitmap loaded or saved
};

// Pixel position of a cell's top-left corner; the scroll origin stays (0, 0).
struct Pixel {
  int x = 0, y = 0;
};
inline Pixel CellPixel(const CellMetrics& m, int column, int row) { return {column * m.width, row * m.height}; }
// The caret: an underline one cell wide and 2 pixels high at the baseline.
inline Pixel CaretPixel(const CellMetrics& m, int column, int row) {
  return {column * m.width, row * m.height + m.ascent};
}

// What the platform window does for the grid's operations.
class GridPainter {
 public:
  virtual ~GridPainter() = default;
  // Text run at its cells, on the window and then on the shadow copy: with
  // the stock font and palette colours of the run, after clearing the full
  // cell height with the metric font when the run's font is another.
  virtual void DrawRun(const GridOp& run) = 0;
  // Scroll the client area up by one cell height and update it (the shadow
  // copy is not scrolled).
  virtual void ScrollUp() = 0;
  virtual void Beep() = 0;
};

inline void PaintGridOps(const std::vector<GridOp>& ops, GridPainter& painter) {
  for (const GridOp& op : ops) {
    switch (op.kind) {
      case GridOp::kDrawRun:
        painter.DrawRun(op);
        break;
      case GridOp::kScroll:
        painter.ScrollUp();
        break;
      case GridOp::kBeep:
        painter.Beep();
        break;
    }
  }
}

}  // namespace vestil::gui
