// Bitmaps in vestrun.exe: CreateDIBitmap from images the reader has checked
// (their palette realized on the main window's DC first), LoadBitmap from
// modules, BitBlt and StretchBlt on TargetDC and ShadowDC, StretchDIBits on
// the printer, and GetDIBits of the shadow copy for SAVEBMP.
#include "platform/win32/win32_util.h"

#include <vector>

#include "platform/win32/win32_bitmaps.h"
#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

HDC Hdc(void* dc) { return static_cast<HDC>(dc); }
HBITMAP Hbitmap(void* b) { return static_cast<HBITMAP>(b); }
const BITMAPINFO* Info(const DibImage& image) { return reinterpret_cast<const BITMAPINFO*>(image.info); }

// A DC of the main window (its own DC: releasing it changes nothing), or the
// screen's while there is none.
struct WindowDc {
  HWND window;
  HDC dc;
  explicit WindowDc(void* main) : window(Window(main)), dc(GetDC(window)) { SetStretchBltMode(dc, COLORONCOLOR); }
  ~WindowDc() { ReleaseDC(window, dc); }
};

bool DepthWritten(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

void* Win32Bitmaps::MakeBitmap(const DibImage& image, bool invalidate) {
  WindowDc wdc(screen_.MainWindow());
  if (!wdc.dc) return nullptr;
  HPALETTE palette = nullptr, before = nullptr;
  if (image.palette_size > 0) {
    std::vector<uint8_t> buffer(sizeof(LOGPALETTE) + image.palette_size * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(image.palette_size);
    for (uint32_t i = 0; i < image.palette_size; ++i) {
      const uint32_t c = image.palette[i];
      lp->palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
    palette = CreatePalette(lp);
    if (palette) {
      before = SelectPalette(wdc.dc, palette, FALSE);
      const UINT changed = RealizePalette(wdc.dc);
      if (changed != 0 && changed != GDI_ERROR && invalidate && wdc.window) InvalidateRect(wdc.window, nullptr, FALSE);
    }
  }
  HBITMAP bitmap = CreateDIBitmap(wdc.dc, &Info(image)->bmiHeader, CBM_INIT, image.pixels, Info(image),
                                  DIB_RGB_COLORS);
  if (palette) {
    SelectPalette(wdc.dc, before, FALSE);
    DeleteObject(palette);
  }
  return bitmap;
}

void Win32Bitmaps::DrawAndDelete(void* bitmap, int32_t w, int32_t h, BitmapRect to, bool sized, uint32_t rop) {
  HDC target = Hdc(screen_.TargetDC()), shadow = Hdc(screen_.ShadowDC());
  HDC memory = CreateCompatibleDC(target);
  if (memory) {
    SetStretchBltMode(memory, COLORONCOLOR);
    HGDIOBJ old = SelectObject(memory, Hbitmap(bitmap));
    if (!sized) {
      if (target) BitBlt(target, to.x, to.y, w, h, memory, 0, 0, rop);
      if (shadow) BitBlt(shadow, to.x, to.y, w, h, memory, 0, 0, rop);
    } else if (target) {
      SetStretchBltMode(target, COLORONCOLOR);
      StretchBlt(target, to.x, to.y, to.w, to.h, memory, 0, 0, w, h, rop);
      if (shadow) BitBlt(shadow, to.x, to.y, to.w, to.h, target, to.x, to.y, SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  DeleteObject(Hbitmap(bitmap));
}

bool Win32Bitmaps::DrawImage(const DibImage& image, BitmapRect to, bool sized, uint32_t rop, bool invalidate) {
  void* bitmap = MakeBitmap(image, invalidate);
  if (!bitmap) return false;
  DrawAndDelete(bitmap, image.width, image.height, to, sized, rop);
  return true;
}

void Win32Bitmaps::PrintImage(const DibImage& image, BitmapRect to) {
  if (HDC printer = Hdc(screen_.TargetDC()))
    StretchDIBits(printer, to.x, to.y, to.w, to.h, 0, 0, image.width, image.height, image.pixels, Info(image),
                  DIB_RGB_COLORS, SRCCOPY);
}

bool Win32Bitmaps::DrawResource(int32_t module, std::string_view name, int32_t number, BitmapRect to, bool sized,
                                uint32_t rop, int32_t& width, int32_t& height) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(module));
  const std::string n(name);
  HBITMAP bitmap = LoadBitmapA(instance, number >= 0 ? MAKEINTRESOURCEA(number) : n.c_str());
  if (!bitmap) return false;
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  width = bm.bmWidth;
  height = bm.bmHeight;
  DrawAndDelete(bitmap, width, height, to, sized, rop);
  return true;
}

bool Win32Bitmaps::LoadMemory(const DibImage& image) {
  ReleaseMemory();
  void* bitmap = MakeBitmap(image, false);
  if (!bitmap) return false;
  HDC memory = CreateCompatibleDC(Hdc(screen_.TargetDC()));
  if (!memory) {
    DeleteObject(Hbitmap(bitmap));
    return false;
  }
  SetStretchBltMode(memory, COLORONCOLOR);
  memory_old_ = SelectObject(memory, Hbitmap(bitmap));
  memory_dc_ = memory;
  memory_bitmap_ = bitmap;
  return true;
}

void Win32Bitmaps::ReleaseMemory() {
  if (memory_dc_) {
    SelectObject(Hdc(memory_dc_), static_cast<HGDIOBJ>(memory_old_));
    DeleteDC(Hdc(memory_dc_));
  }
  if (memory_bitmap_) DeleteObject(Hbitmap(memory_bitmap_));
  memory_dc_ = memory_bitmap_ = memory_old_ = nullptr;
}

void Win32Bitmaps::Copy(BitmapSource source, BitmapRect from, BitmapRect to, bool sized, uint32_t rop) {
  HDC target = Hdc(screen_.TargetDC()), shadow = Hdc(screen_.ShadowDC());
  const bool memory = source == BitmapSource::kMemory;
  HDC src = memory ? Hdc(memory_dc_) : target;
  // Without a memory bitmap the copy draws nothing.
  if (!src || !target) return;
  if (!sized) {
    BitBlt(target, to.x, to.y, to.w, to.h, src, from.x, from.y, rop);
    if (shadow) BitBlt(shadow, to.x, to.y, to.w, to.h, memory ? src : shadow, from.x, from.y, rop);
    return;
  }
  SetStretchBltMode(target, COLORONCOLOR);
  StretchBlt(target, to.x, to.y, to.w, to.h, src, from.x, from.y, from.w, from.h, rop);
  if (shadow) BitBlt(shadow, to.x, to.y, to.w, to.h, target, to.x, to.y, SRCCOPY);
}

bool Win32Bitmaps::CaptureShadow(BitmapRect r, CapturedBits& out) {
  HDC target = Hdc(screen_.TargetDC()), shadow = Hdc(screen_.ShadowDC());
  if (!target || !shadow) return false;
  HBITMAP bitmap = CreateCompatibleBitmap(target, r.w, r.h);
  if (!bitmap) return false;
  bool ok = false;
  if (HDC memory = CreateCompatibleDC(target)) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.w, r.h, shadow, r.x, r.y, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    int bits = bm.bmPlanes * bm.bmBitsPixel;
    if (!DepthWritten(bits)) bits = 24;
    // The header and room for the largest colour table GetDIBits fills.
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = r.w;
    h->biHeight = r.h;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(bits);
    h->biCompression = BI_RGB;
    const size_t row = static_cast<size_t>((int64_t(bits) * r.w + 31) / 32 * 4);
    out.pixels.assign(row * static_cast<size_t>(r.h), 0);
    WindowDc wdc(screen_.MainWindow());
    ok = wdc.dc && GetDIBits(wdc.dc, bitmap, 0, static_cast<UINT>(r.h), out.pixels.data(),
                             reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS) != 0;
    out.bits = bits;
    const size_t table = bits <= 8 ? (size_t(4) << bits) : 0;
    out.table.assign(info.begin() + sizeof(BITMAPINFOHEADER), info.begin() + sizeof(BITMAPINFOHEADER) + table);
  }
  DeleteObject(bitmap);
  return ok;
}

}  // namespace vestil
