#pragma once
// The text statements beside the console: TBOX frames, graphic text
// (DRAWTEXT, USEFONT, CHARSET, FONTANGLE, TEXTCOLOR), ENUMFONTS and
// CONTROLFONT.
#include <vector>

#include "gui/text_grid.h"

namespace vestil {

struct Runtime;

namespace gui {

// One character of a TBOX frame to draw, at its pixel.
struct BoxGlyph {
  int x = 0, y = 0;
  char ch = ' ';
};
// The frame characters at their cells' pixels, then all of them again one
// pixel lower, so that the vertical strokes of adjacent rows join.
std::vector<BoxGlyph> BoxGlyphs(const std::vector<BoxCell>& cells, const CellMetrics& cell);

}  // namespace gui

void RegisterTextStatements(Runtime& rt);

}  // namespace vestil
