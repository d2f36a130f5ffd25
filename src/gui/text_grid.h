#pragma once
// The character console of the script window: three byte planes (character,
// colour attribute, font index) addressed as a ring of rows, the text cursor,
// and the rules of writing, wrapping, scrolling, LOCATE and TBOX.
//
// The grid paints nothing. A write returns the operations the window has to
// carry out, in order (GridOp, host/console.h): text runs to draw (the
// characters copied out, with the palette colours of their attribute), the
// scroll of the client area by one cell row, and beeps. The text console
// hands them to the screen.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/console.h"

namespace vestil::gui {

using vestil::CellMetrics;
using vestil::FontMetrics;
using vestil::GridOp;

// Pixels per cell that size the grid: the planes hold ScreenWidth div 8 by
// ScreenHeight div 15 cells, WINDOW sets width div 8 by height div 15.
inline constexpr int kGridCellWidth = 8;
inline constexpr int kGridCellHeight = 15;
inline constexpr int kDefaultGridColumns = 80;
inline constexpr int kDefaultGridRows = 32;
inline constexpr uint8_t kInitialTextAttribute = 0xf0;  // black on white
// A console line holds at most 126 characters (a 128-byte buffer with CR LF).
inline constexpr int kConsoleLineBuffer = 128;

// The 16 console colours as platform colour values (0x00BBGGRR).
extern const std::array<uint32_t, 16> kPalette16;
inline uint32_t PaletteForeground(uint8_t attribute) { return kPalette16[attribute & 15]; }
inline uint32_t PaletteBackground(uint8_t attribute) { return kPalette16[attribute >> 4]; }

// The cell from the stock fonts 1 .. metric_font_index (indexes into
// `fonts`, the metrics of the console's stock fonts by TextFontIndex);
// metric_font_index becomes the font that set the height. The height is 2
// pixels less than the font's.
CellMetrics ComputeCellMetrics(const std::array<FontMetrics, 4>& fonts, int& metric_font_index);

struct Cell {
  uint8_t ch = ' ', attribute = kInitialTextAttribute, font = 2;
};

// One cell of a TBOX frame, 0-based and clamped into the grid.
struct BoxCell {
  int column = 0, row = 0;
  uint8_t ch = ' ';
};

class TextGrid {
 public:
  // WM_CREATE: planes for the screen (ScreenWidth div 8 by ScreenHeight div
  // 15 cells), every cell a space with the current attribute and font.
  void Create(int screen_width, int screen_height);
  // WM_DESTROY: planes freed, cursor and ring back to the start. The grid
  // size, attribute and font index stay for the process.
  void Destroy();
  bool exists() const { return !chars_.empty(); }

  // WINDOW: the grid asks for width div 8 columns and height div 15 rows
  // (negative sizes are refused before). The grid in use is that, limited
  // to the planes and at least one cell; the cursor is clamped into it.
  void SetWindowSize(int width, int height);
  int columns() const;
  int rows() const;
  int capacity_columns() const { return capacity_columns_; }
  int capacity_rows() const { return capacity_rows_; }

  // The logical cell (x, y) of the grid in use.
  Cell At(int x, int y) const;
  int first_line() const { return first_line_; }
  int cursor_x() const { return cursor_x_; }
  int cursor_y() const { return cursor_y_; }

  // LOCATE row, column (1-based; 0 and 1 both give the first cell, beyond
  // the grid the last).
  void Locate(int row, int column);
  // ClearText: every cell of the grid a space with the current attribute and
  // font; cursor to the top-left.
  void Clear();
  // WriteText: console bytes with the current attribute and font index.
  // Returns what the window has to paint. Without planes nothing happens.
  std::vector<GridOp> Write(std::string_view bytes);

  // TBOX row1 , col1 - row2 , col2 ; style (1-based cells). False when the
  // box is outside the grid (message 222); otherwise `cells` are the frame
  // and interior in drawing order and the cursor is on the first interior
  // cell. The planes are not changed.
  bool Box(int row1, int col1, int row2, int col2, int style, std::vector<BoxCell>& cells);

  uint8_t attribute = kInitialTextAttribute;  // TextAttribute: low nibble foreground
  uint8_t font_index = 2;                     // TextFontIndex 0..3

 private:
  size_t Offset(int x, int y) const;
  void FillRow(int y);
  void NewLine(std::vector<GridOp>& ops, int& left, int& right);
  void Flush(std::vector<GridOp>& ops, int& left, int& right);
  void ClampCursor();

  std::vector<uint8_t> chars_, attributes_, fonts_;
  int capacity_columns_ = 0, capacity_rows_ = 0;
  int wanted_columns_ = kDefaultGridColumns, wanted_rows_ = kDefaultGridRows;
  int first_line_ = 0;
  int cursor_x_ = 0, cursor_y_ = 0;
};

// The console line reader: fed one code at a time from ReadKey.
class LineEditor {
 public:
  explicit LineEditor(int buffer_size = kConsoleLineBuffer) : max_chars_(buffer_size - 2) {}
  // Takes one code; `echo` receives the bytes to write to the console.
  // True at Enter (13): `line` is then complete (without CR LF).
  bool Feed(uint8_t code, std::string& echo);
  const std::string& line() const { return line_; }

 private:
  int max_chars_;
  std::string line_;
};

}  // namespace vestil::gui
