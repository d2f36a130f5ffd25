// The rules behind the drawing statements (see draw_rules.h).
#include "gui/draw_rules.h"

#include <algorithm>

namespace vestil::gui {
namespace {

constexpr uint32_t Widen(uint32_t k) { return k ? 8 * k + 7 : 0; }

}  // namespace

uint32_t ScriptColor(int32_t c, bool true_color) {
  if (true_color) return static_cast<uint32_t>(c);
  const uint32_t v = static_cast<uint32_t>(c) & 0x7fff;
  return Widen(v & 31) | Widen((v >> 5) & 31) << 8 | Widen(v >> 10) << 16;
}

int32_t ColorFromPlatform(uint32_t platform, bool true_color) {
  if (platform == kInvalidColor) return -1;
  if (true_color) return static_cast<int32_t>(platform);
  const uint32_t r = (platform & 0xff) >> 3, g = ((platform >> 8) & 0xff) >> 3, b = ((platform >> 16) & 0xff) >> 3;
  return static_cast<int32_t>(r | g << 5 | b << 10);
}

int32_t ScrollPosition(int32_t min, int32_t max, int32_t pos, int request, uint16_t thumb) {
  const int64_t page = std::max<int64_t>((int64_t{max} - min + 1) / 10, 1);
  switch (request) {
    case kScrollLineUp:
      return pos > min ? pos - 1 : pos;
    case kScrollLineDown:
      return pos < max ? pos + 1 : pos;
    case kScrollPageUp:
      return static_cast<int32_t>(std::max<int64_t>(pos - page, min));
    case kScrollPageDown:
      return static_cast<int32_t>(std::min<int64_t>(pos + page, max));
    case kScrollThumbPosition:
    case kScrollThumbTrack:
      return thumb;
    case kScrollTop:
      return min;
    case kScrollBottom:
      return max;
    default:
      return pos;
  }
}

void UseBrush(BrushDescription& brush, int32_t style, uint32_t color) {
  if (style == 0) {
    brush.style = kBrushHollow;
  } else if (style == 1) {
    brush.style = kBrushSolid;
  } else if (style >= 2 && style < 2 + kHatchCount) {
    brush.style = kBrushHatched;
    brush.hatch = style - 2;
  }
  brush.color = color;
}

PenDescription UsePen(int32_t style, int32_t width, uint32_t color, bool printing) {
  if (printing && (width > 1 || style == 0)) width = PrintScale(width, true);
  return PenDescription{style, width, color};
}

}  // namespace vestil::gui
