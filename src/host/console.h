#pragma once
// The text console as a window shows it. The runtime keeps the console's
// cells (the grid) and hands the window only what to paint: the operations
// of one write, in cells, with their colours and stock font. The window
// measures its stock fonts when it is created and is told the cell they give.
#include <cstdint>
#include <string>

namespace vestil {

// The text metrics of one stock font, as the window measures them.
struct FontMetrics {
  int max_char_width = 0, height = 0, external_leading = 0, ascent = 0;
};

// One console cell in pixels.
struct CellMetrics {
  int width = 1, height = 1, ascent = 0;
};

// What the window keeps for painting: the cell, and the stock font
// (TextFontIndex) whose height sets it; a run in another font clears the
// full cell height with this one first.
struct ConsoleCells {
  CellMetrics cell;
  int metric_font = 2;
};

// One thing for the window to paint, in the order of the write.
struct GridOp {
  enum Kind : uint8_t {
    kDrawRun,  // `text` at cell (column, row), each character in its own cell
    kScroll,   // the client area up by one cell height, then updated
    kBeep,
  };
  Kind kind = kDrawRun;
  int column = 0, row = 0;
  uint32_t foreground = 0, background = 0;  // platform colour values (0x00BBGGRR)
  uint8_t font = 0;                         // the stock font, TextFontIndex 0..3
  std::string text;
};

}  // namespace vestil
