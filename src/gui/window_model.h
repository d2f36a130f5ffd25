#pragma once
// The portable model of the script window: the event record, the console
// grid and the window's settings, which the statements share.
//
// The display runs one way: the text console writes into the grid and hands
// the screen the operations to paint (host/console.h). The other way, the
// platform window reports its messages into the model's WindowEvents
// (host/window_events.h), which the assembly hands to the screen; the window
// never holds the model itself. Nothing here includes a platform header.
#include <cstdint>

#include "gui/draw_rules.h"
#include "gui/event_state.h"
#include "gui/text_grid.h"
#include "gui/waits.h"
#include "gui/window_settings.h"
#include "host/window_events.h"

namespace vestil::gui {

inline constexpr int kDefaultPaintMode = 2;  // set when a program starts

struct WindowModel : WindowEvents {
  EventState events;
  TextGrid grid;
  CellMetrics cell;
  int metric_font_index = 2;  // MetricFontIndex
  int paint_mode = kDefaultPaintMode;  // PaintMode 0..2
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

  // --- WindowEvents: the window's reports land in the event record ---------------
  void Message(uint32_t id) override { events.Message(id); }
  void Pumped(uint32_t id) override { events.Pumped(id); }
  void PutEventCode(uint8_t code) override { events.PutEventCode(code); }
  KeyResult KeyDown(uint32_t virtual_key) override { return events.KeyDown(virtual_key); }
  KeyResult Char(uint32_t character) override { return events.Char(character); }
  void MouseMove(uint16_t x, uint16_t y) override { events.MouseMove(x, y); }
  void ButtonDown(MouseButton b, uint16_t x, uint16_t y, int32_t window) override {
    events.ButtonDown(b, x, y, window);
  }
  void ButtonUp(MouseButton b, uint16_t x, uint16_t y, int32_t window) override { events.ButtonUp(b, x, y, window); }
  void ChildButtonA(MouseButton b, uint16_t x, uint16_t y, int32_t focus) override {
    events.ChildButtonA(b, x, y, focus);
  }
  void ChildButtonB(MouseButton b, uint16_t x, uint16_t y, bool focus_is_static) override {
    events.ChildButtonB(b, x, y, focus_is_static);
  }
  void Command(uint16_t id, int32_t control) override { events.Command(id, control); }
  DialogCommand CommandRuleB(DialogProcedure proc, uint16_t id, uint16_t notification, int32_t control) override {
    return EventState::RuleB(proc, id, notification, control);
  }
  void ScrollMessage(int32_t focus) override { events.ScrollMessage(focus); }
  void Timer(uintptr_t id) override { events.Timer(id); }
  void Focus(int32_t window) override { events.focus_handle = window; }
  void Partner(int32_t window) override { events.Partner(window); }
  bool PaintMain() override { return events.PaintMain(paint_mode); }
  void PaintDialog() override { events.PaintDialog(paint_mode); }
  // The grid's planes for the screen, and the cell from the stock fonts.
  ConsoleCells ConsoleCreated(int screen_width, int screen_height, const std::array<FontMetrics, 4>& fonts) override {
    grid.Create(screen_width, screen_height);
    cell = ComputeCellMetrics(fonts, metric_font_index);
    return ConsoleCells{cell, metric_font_index};
  }
  void ConsoleDestroyed() override { grid.Destroy(); }
  WindowStyleOptions StyleOptions() override { return settings.options; }
  WindowRect Placement() override { return settings.rect; }
  GridSize ConsoleGrid() override { return GridSize{grid.columns(), grid.rows()}; }
  bool PumpedAsCommand(uint32_t message) override { return gui::PumpedAsCommand(settings.options, message); }
  int32_t ScrollRule(int32_t min, int32_t max, int32_t pos, int request, uint16_t thumb) override {
    return ScrollPosition(min, max, pos, request, thumb);
  }
};

// Pixel position of a cell's top-left corner; the scroll origin stays (0, 0).
struct Pixel {
  int x = 0, y = 0;
};
inline Pixel CellPixel(const CellMetrics& m, int column, int row) { return {column * m.width, row * m.height}; }

}  // namespace vestil::gui
