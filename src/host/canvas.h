#pragma once
// Drawing: the figures, pens, brushes, fonts and graphic text of the script
// window. Every drawing goes to the output target (the window, or whatever
// output is redirected to) and to its shadow copy, which restores the window
// when it is painted. Colours are platform values (0x00BBGGRR); the statements
// have applied the script's colour rule and any scaling before they get here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vestil {

// The two device contexts a statement draws on, in this order.
enum class DrawTarget : uint8_t { kTarget, kShadow };

// The figures. Their coordinates, in the order the statements take them:
//   kPixel, kFill, kLineTo, kMoveTo: x, y
//   kLine, kRectangle, kEllipse:     x1, y1, x2, y2
//   kRoundRect:                      x1, y1, x2, y2, corner width, corner height
//   kPie, kArc, kChord:              x1, y1, x2, y2, start x, start y, end x, end y
// kPixel sets the colour; kFill floods with the current brush up to the
// boundary colour; the others use the current pen and brush.
enum class Figure : uint8_t { kPixel, kFill, kLine, kLineTo, kMoveTo, kRectangle, kRoundRect, kPie, kArc, kChord, kEllipse };
inline constexpr int kMaxFigurePoints = 8;

// A font to create (USEFONT); the values as the platform takes them.
struct FontRequest {
  std::string name;
  int32_t height = 0, width = 0;
  int32_t escapement = 0;  // tenths of a degree, also the orientation
  int32_t weight = 400;
  bool italic = false, underline = false;
  uint8_t charset = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  // The main window exists or output goes to another window: a drawing
  // statement has somewhere to draw.
  virtual bool HasTarget() = 0;
  // Creates the main window unless it exists; false when this host has none.
  virtual bool EnsureWindow() = 0;

  virtual void Draw(DrawTarget target, Figure figure, const int32_t* points, uint32_t color) = 0;
  // The script's brush and pen: the previous one is taken out of both
  // targets and deleted, the new one selected into both. Brush style,
  // colour and hatch as a LOGBRUSH holds them; pen style, width, colour as
  // CreatePen takes them.
  virtual void UseBrush(uint32_t style, uint32_t color, int32_t hatch) = 0;
  virtual void UsePen(int32_t style, int32_t width, uint32_t color) = 0;
  // CLS: with a colour, a new solid script brush of that colour; without,
  // the white stock brush (the script brush stays). Then the screen-sized
  // area of both targets is filled with it and the window updated.
  virtual void Clear(std::optional<uint32_t> color) = 0;
  // REPAINT: the window is marked for painting from the shadow copy.
  virtual void Invalidate() = 0;
  // The colour of a pixel of the target; 0xffffffff where there is none.
  virtual uint32_t GetPixel(int32_t x, int32_t y) = 0;

  // Graphic text with the script's font, text colour and background.
  virtual void DrawString(DrawTarget target, int32_t x, int32_t y, std::string_view text) = 0;
  // Text with one of the console's stock fonts (TextFontIndex 0..3) and
  // opaque colours, each character in a cell `cell_width` pixels wide; the
  // target's font is restored afterwards, its colours and opaque background
  // stay for later graphic text.
  virtual void DrawConsoleText(DrawTarget target, int32_t x, int32_t y, std::string_view text, int font_index,
                               int32_t cell_width, uint32_t foreground, uint32_t background) = 0;
  // The script's font, replacing the previous one in both targets.
  virtual void UseFont(const FontRequest& font) = 0;
  // Text colour and background of both targets; a transparent background
  // leaves what is behind the text.
  virtual void SetTextColors(uint32_t foreground, uint32_t background, bool transparent) = 0;
  // The family names of the target's fonts, in the platform's order.
  virtual std::vector<std::string> FontFamilies() = 0;
};

}  // namespace vestil
