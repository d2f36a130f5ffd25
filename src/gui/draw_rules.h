#pragma once
// The rules behind the drawing statements, as values: the colour rule, the
// scroll rule of scroll-bar controls, the brush and pen descriptions of
// USEBRUSH and USEPEN, and the x10 scaling while printing. The platform
// values (colours 0x00BBGGRR, brush styles, hatch indexes, SB_ codes) are
// the Win32 ones, so the window code passes them on unchanged.
#include <cstdint>

namespace vestil::gui {

// --- colours ---------------------------------------------------------------------

// A script colour as a platform colour value. True-colour mode: the value as
// it is. 15-bit mode: red + 32 x green + 1024 x blue, each 5-bit component k
// widened to 8k + 7 (0 stays 0), so 31 is pure red and 32767 white. Only the
// low 15 bits count: a value outside 0..32767 (above, or negative) is read
// as value AND 32767, the same fields @GETRED, @GETGREEN and @GETBLUE return.
uint32_t ScriptColor(int32_t c, bool true_color);
// @GETPIXEL: a platform colour back in the script's form (15-bit: the top 5
// bits of each component). CLR_INVALID (no pixel there) reads as -1.
int32_t ColorFromPlatform(uint32_t platform, bool true_color);
inline constexpr uint32_t kInvalidColor = 0xffffffff;

// --- scroll bars -------------------------------------------------------------------

// The notification codes of a scroll message (low word of wParam).
enum ScrollRequest : int {
  kScrollLineUp = 0,
  kScrollLineDown = 1,
  kScrollPageUp = 2,
  kScrollPageDown = 3,
  kScrollThumbPosition = 4,
  kScrollThumbTrack = 5,
  kScrollTop = 6,
  kScrollBottom = 7,
};
// The new position of a scroll-bar control with range min..max at `pos`
// after a request; `thumb` is the thumb position (high word of wParam). A
// page is a tenth of the range, at least 1. Other requests keep the position.
int32_t ScrollPosition(int32_t min, int32_t max, int32_t pos, int request, uint16_t thumb);

// --- brushes and pens ----------------------------------------------------------------

inline constexpr uint32_t kBrushSolid = 0;    // BS_SOLID
inline constexpr uint32_t kBrushHollow = 1;   // BS_HOLLOW
inline constexpr uint32_t kBrushHatched = 2;  // BS_HATCHED
inline constexpr int kHatchCount = 6;  // HS_HORIZONTAL .. HS_DIAGCROSS

// The brush description USEBRUSH edits (a LOGBRUSH); it starts zeroed.
struct BrushDescription {
  uint32_t style = kBrushSolid;
  uint32_t color = 0;
  int32_t hatch = 0;
};
// USEBRUSH style , colour: 0 hollow, 1 solid, 2..7 the six hatches. A style
// outside 0..7 (negative, or a hatch the platform does not have) keeps style
// and hatch; the colour always changes.
void UseBrush(BrushDescription& brush, int32_t style, uint32_t color);

struct PenDescription {
  int32_t style = 0;  // PS_SOLID .. PS_INSIDEFRAME, passed on as given
  int32_t width = 0;
  uint32_t color = 0;
};
// USEPEN style , width , colour: while printing, a pen wider than 1 or a
// solid one is 10 times as wide (thin patterned pens keep their device width).
PenDescription UsePen(int32_t style, int32_t width, uint32_t color, bool printing);

// --- the output target ---------------------------------------------------------------

// Coordinates and sizes while printing are tenths: the script's value times
// 10 (wrapping at 32 bits as the arithmetic does).
inline int32_t PrintScale(int32_t v, bool printing) {
  return printing ? static_cast<int32_t>(static_cast<uint32_t>(v) * 10u) : v;
}

// How often a statement draws. Not printing: on the window, then on the
// shadow. Printing: SETPIXEL, FILL and DRAWTEXT once on the printer; the
// figures (LINE .. ELLIPSE) twice, since both targets are the printer then.
enum class DrawKind : uint8_t { kPixelOrText, kFigure };
inline int DrawPasses(DrawKind kind, bool printing) {
  return printing && kind == DrawKind::kPixelOrText ? 1 : 2;
}

}  // namespace vestil::gui
