// Drawing in vestrun.exe: the figures, the script's brush, pen and font, and
// graphic text on the main window's DC (TargetDC) and its shadow bitmap
// (ShadowDC), which Win32Screen owns.
#include "platform/win32/win32_util.h"

#include <vector>

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

HDC Hdc(void* dc) { return static_cast<HDC>(dc); }
HGDIOBJ Gdi(void* object) { return static_cast<HGDIOBJ>(object); }

int CALLBACK AddFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM names) {
  reinterpret_cast<std::vector<std::string>*>(names)->emplace_back(font->lfFaceName);
  return 1;
}

}  // namespace

Win32Canvas::~Win32Canvas() {
  // The window and its DCs are gone by now; only the objects are left.
  for (Selected* s : {&brush_, &pen_, &font_})
    if (s->object) DeleteObject(Gdi(s->object));
}

void* Win32Canvas::Dc(DrawTarget target) const {
  return target == DrawTarget::kTarget ? screen_.TargetDC() : screen_.ShadowDC();
}

// The object before the script's own goes back into both DCs, the old script
// object is deleted, the new one selected into both.
void Win32Canvas::Replace(Selected& slot, void* object) {
  HDC target = Hdc(screen_.TargetDC()), shadow = Hdc(screen_.ShadowDC());
  if (slot.object) {
    if (slot.before) {
      if (target) SelectObject(target, Gdi(slot.before));
      if (shadow) SelectObject(shadow, Gdi(slot.before));
    }
    DeleteObject(Gdi(slot.object));
  }
  slot.object = object;
  slot.before = nullptr;
  if (!object) return;
  if (target) slot.before = SelectObject(target, Gdi(object));
  if (shadow) SelectObject(shadow, Gdi(object));
}

void Win32Canvas::Draw(DrawTarget t, Figure figure, const int32_t* p, uint32_t color) {
  HDC dc = Hdc(Dc(t));
  if (!dc) return;
  switch (figure) {
    case Figure::kPixel:
      SetPixel(dc, p[0], p[1], color);
      break;
    case Figure::kFill:
      FloodFill(dc, p[0], p[1], color);
      break;
    case Figure::kLine:
      MoveToEx(dc, p[0], p[1], nullptr);
      LineTo(dc, p[2], p[3]);
      break;
    case Figure::kLineTo:
      LineTo(dc, p[0], p[1]);
      break;
    case Figure::kMoveTo:
      MoveToEx(dc, p[0], p[1], nullptr);
      break;
    case Figure::kRectangle:
      ::Rectangle(dc, p[0], p[1], p[2], p[3]);
      break;
    case Figure::kRoundRect:
      ::RoundRect(dc, p[0], p[1], p[2], p[3], p[4], p[5]);
      break;
    case Figure::kPie:
      ::Pie(dc, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
      break;
    case Figure::kArc:
      ::Arc(dc, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
      break;
    case Figure::kChord:
      ::Chord(dc, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
      break;
    case Figure::kEllipse:
      ::Ellipse(dc, p[0], p[1], p[2], p[3]);
      break;
  }
}

void Win32Canvas::UseBrush(uint32_t style, uint32_t color, int32_t hatch) {
  LOGBRUSH lb{};
  lb.lbStyle = style;
  lb.lbColor = color;
  lb.lbHatch = static_cast<ULONG_PTR>(hatch);
  Replace(brush_, CreateBrushIndirect(&lb));
}

void Win32Canvas::UsePen(int32_t style, int32_t width, uint32_t color) {
  Replace(pen_, CreatePen(style, width, color));
}

void Win32Canvas::Clear(std::optional<uint32_t> color) {
  HDC target = Hdc(screen_.TargetDC()), shadow = Hdc(screen_.ShadowDC());
  if (!target || !shadow) return;
  if (color) {
    Replace(brush_, CreateSolidBrush(*color));
  } else {
    // The white stock brush; the script's brush stays for a later USEBRUSH.
    SelectObject(target, GetStockObject(WHITE_BRUSH));
    SelectObject(shadow, GetStockObject(WHITE_BRUSH));
  }
  const int w = screen_.ScreenWidth(), h = screen_.ScreenHeight();
  PatBlt(target, 0, 0, w, h, PATCOPY);
  PatBlt(shadow, 0, 0, w, h, PATCOPY);
  HWND window = Window(screen_.MainWindow());
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

void Win32Canvas::Invalidate() {
  if (HWND window = Window(screen_.MainWindow())) InvalidateRect(window, nullptr, FALSE);
}

uint32_t Win32Canvas::GetPixel(int32_t x, int32_t y) {
  HDC dc = Hdc(screen_.TargetDC());
  return dc ? static_cast<uint32_t>(::GetPixel(dc, x, y)) : CLR_INVALID;
}

void Win32Canvas::DrawString(DrawTarget t, int32_t x, int32_t y, std::string_view text) {
  if (HDC dc = Hdc(Dc(t))) TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
}

// The stock font is taken out again; the palette colours and the opaque
// background stay in the target, as after a printed span.
void Win32Canvas::DrawConsoleText(DrawTarget t, int32_t x, int32_t y, std::string_view text, int font_index,
                                  int32_t cell_width, uint32_t foreground, uint32_t background) {
  HDC dc = Hdc(Dc(t));
  if (!dc) return;
  HGDIOBJ old_font = SelectObject(dc, ConsoleStockFont(font_index));
  SetTextColor(dc, foreground);
  SetBkColor(dc, background);
  SetBkMode(dc, OPAQUE);
  const std::vector<INT> advance(text.size(), cell_width);
  ExtTextOutA(dc, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), advance.data());
  SelectObject(dc, old_font);
}

void Win32Canvas::UseFont(const FontRequest& f) {
  HFONT font = CreateFontA(f.height, f.width, f.escapement, f.escapement, f.weight, f.italic, f.underline, FALSE,
                           f.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, f.name.c_str());
  Replace(font_, font);
}

void Win32Canvas::SetTextColors(uint32_t foreground, uint32_t background, bool transparent) {
  for (DrawTarget t : {DrawTarget::kTarget, DrawTarget::kShadow}) {
    HDC dc = Hdc(Dc(t));
    if (!dc) continue;
    SetTextColor(dc, foreground);
    SetBkMode(dc, transparent ? TRANSPARENT : OPAQUE);
    SetBkColor(dc, background);
  }
}

std::vector<std::string> Win32Canvas::FontFamilies() {
  std::vector<std::string> names;
  if (HDC dc = Hdc(screen_.TargetDC()))
    EnumFontFamiliesA(dc, nullptr, AddFamily, reinterpret_cast<LPARAM>(&names));
  return names;
}

}  // namespace vestil
