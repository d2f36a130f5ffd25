// The bitmap statements (see bitmap_statements.h). A BMP file is read whole
// through the host's files and checked by the reader before the platform
// sees any of it; the platform then draws on the output target and its
// shadow copy. The mode after ";" is optional (SRCCOPY without it).
#include "gui/bitmap_statements.h"

#include <memory>
#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/work_file.h"
#include "gui/bmp_file.h"
#include "gui/draw_rules.h"
#include "gui/draw_statements.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace gui {

uint32_t RasterOperation(int32_t mode) {
  switch (mode) {
    case 1: return 0x008800C6;  // SRCAND
    case 2: return 0x00EE0086;  // SRCPAINT
    case 3: return 0x00660046;  // SRCINVERT
    case 4: return 0x00550009;  // DSTINVERT
    default: return 0x00CC0020;  // SRCCOPY
  }
}

int32_t ResourceNumber(std::string_view name) {
  if (name.empty() || name.size() > 5) return -1;
  int32_t n = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n <= 0xffff ? n : -1;
}

}  // namespace gui

namespace {

constexpr uint32_t kSrcCopy = 0x00CC0020;
// A file larger than this holds no loadable bitmap (the largest has
// kBmpMaxPixels of 32 bits).
constexpr int64_t kMaxBmpFile = gui::kBmpMaxPixels * 4 + (int64_t(1) << 20);

gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }
Bitmaps& Host(Runtime& rt) { return *rt.host.bitmaps; }

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kNumberDemand);
  return rt.eval.rr.l;
}

std::string TextArg(Runtime& rt, char terminator, Demand demand) {
  EvalArg(rt, terminator, demand);
  const ShortString t = rt.eval.rr.text();
  return std::string(std::string_view(t));
}

// The optional "; mode" at the end of the arguments.
uint32_t ModeArg(Runtime& rt) {
  if (rt.loop.arg_text.find_first_not_of(' ') == std::string_view::npos) return kSrcCopy;
  return gui::RasterOperation(NumberArg(rt, kRest));
}

// The size of the last bitmap loaded or saved (%BMPWIDTH, %BMPHEIGHT).
void SetSize(Runtime& rt, int32_t w, int32_t h) {
  Model(rt).bitmap_width = w;
  Model(rt).bitmap_height = h;
}

// Reads and checks a BMP file; false when it cannot be opened or read or is
// not loadable.
bool ReadBmpFile(Runtime& rt, const std::string& name, gui::BmpImage& image) {
  std::unique_ptr<HostFile> file;
  if (rt.host.files->OpenHostFile(rt.host.files->MapPath(name), FileAccess::kRead, false, file) != 0 || !file)
    return false;
  int64_t size = 0;
  if (file->Size(size) != 0 || size < 0 || size > kMaxBmpFile) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  size_t done = 0;
  if (size > 0 && (file->Read(bytes.data(), bytes.size(), done) != 0 || done != bytes.size())) return false;
  return gui::ReadBmp(bytes.data(), bytes.size(), image);
}

DibImage Dib(const gui::BmpImage& image) {
  DibImage d;
  d.info = image.block.data();
  d.pixels = image.block.data() + image.pixel_offset;
  d.palette = image.palette.data();
  d.palette_size = static_cast<uint32_t>(image.palette.size());
  d.width = image.width;
  d.height = image.Rows();
  return d;
}

// The place of a drawn bitmap: "x , y ;" or, sized, "x , y - w , h ;".
BitmapRect PlaceArgs(Runtime& rt, bool sized) {
  BitmapRect to;
  to.x = NumberArg(rt, ',');
  to.y = NumberArg(rt, sized ? '-' : ';');
  if (sized) {
    to.w = NumberArg(rt, ',');
    to.h = NumberArg(rt, ';');
  }
  return to;
}

// DRAWBMP file , x , y ; mode and DRAWSIZEDBMP file , x , y - w , h ; mode.
void DrawFileBitmap(Runtime& rt, bool sized) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  const std::string name = TextArg(rt, ',', kFileNameDemand);
  BitmapRect to = PlaceArgs(rt, sized);
  const uint32_t rop = ModeArg(rt);
  gui::BmpImage image;
  if (!ReadBmpFile(rt, name, image)) {
    RuntimeError(rt, msg::kBitmapNotLoadable, name);
    return;
  }
  if (!sized) to.w = image.width, to.h = image.Rows();
  const DibImage dib = Dib(image);
  if (Model(rt).printing) {
    // The printer gets the image at tenths; the size kept is the one drawn.
    SetSize(rt, to.w, to.h);
    const bool p = true;
    Host(rt).PrintImage(dib, {gui::PrintScale(to.x, p), gui::PrintScale(to.y, p), gui::PrintScale(to.w, p),
                              gui::PrintScale(to.h, p)});
    return;
  }
  const bool invalidate = !Model(rt).settings.in_paint;
  if (!Host(rt).DrawImage(dib, to, sized, rop, invalidate)) {
    RuntimeError(rt, msg::kBitmapNotLoadable, name);
    return;
  }
  SetSize(rt, image.width, image.Rows());
}

void DrawBmp(Runtime& rt) { DrawFileBitmap(rt, false); }
void DrawSizedBmp(Runtime& rt) { DrawFileBitmap(rt, true); }

// DRAWEXTBMP module , name , x , y ; mode and DRAWSIZEDEXTBMP module , name ,
// x , y - w , h ; mode.
void DrawResourceBitmap(Runtime& rt, bool sized) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, sized ? "DRAWSIZEDEXTBMP" : "DRAWEXTBMP")) return;
  const int32_t module = NumberArg(rt, ',');
  const std::string name = TextArg(rt, ',', kTextDemand);
  BitmapRect to = PlaceArgs(rt, sized);
  const uint32_t rop = ModeArg(rt);
  int32_t w = 0, h = 0;
  if (!Host(rt).DrawResource(module, name, gui::ResourceNumber(name), to, sized, rop, w, h)) {
    RuntimeError(rt, msg::kBitmapNotLoadable, name);
    return;
  }
  SetSize(rt, w, h);
}

void DrawExtBmp(Runtime& rt) { DrawResourceBitmap(rt, false); }
void DrawSizedExtBmp(Runtime& rt) { DrawResourceBitmap(rt, true); }

// MLOADBMP file: the memory bitmap; a failed load leaves none.
void MLoadBmp(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "MLOADBMP")) return;
  if (!RequireWindow(rt)) return;
  const std::string name = TextArg(rt, kRest, kFileNameDemand);
  Host(rt).ReleaseMemory();
  gui::BmpImage image;
  if (!ReadBmpFile(rt, name, image) || !Host(rt).LoadMemory(Dib(image))) {
    RuntimeError(rt, msg::kBitmapNotLoadable, name);
    return;
  }
  SetSize(rt, image.width, image.Rows());
}

// sx , sy - w , h > dx , dy ; mode (sized: sx , sy - sw , sh > dx , dy - dw , dh ; mode).
void CopyBitmap(Runtime& rt, BitmapSource source, bool sized, std::string_view keyword) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, keyword)) return;
  if (!RequireWindow(rt)) return;
  BitmapRect from, to;
  from.x = NumberArg(rt, ',');
  from.y = NumberArg(rt, '-');
  from.w = NumberArg(rt, ',');
  from.h = NumberArg(rt, '>');
  to.x = NumberArg(rt, ',');
  to.y = NumberArg(rt, sized ? '-' : ';');
  if (sized) {
    to.w = NumberArg(rt, ',');
    to.h = NumberArg(rt, ';');
  } else {
    to.w = from.w, to.h = from.h;
  }
  const uint32_t rop = ModeArg(rt);
  Host(rt).Copy(source, from, to, sized, rop);
}

void MCopyBmp(Runtime& rt) { CopyBitmap(rt, BitmapSource::kMemory, false, "MCOPYBMP"); }
void MCopySizedBmp(Runtime& rt) { CopyBitmap(rt, BitmapSource::kMemory, true, "MCOPYSIZEDBMP"); }
void CopyDBmp(Runtime& rt) { CopyBitmap(rt, BitmapSource::kWindow, false, "COPYDBMP"); }
void CopySizedBmp(Runtime& rt) { CopyBitmap(rt, BitmapSource::kWindow, true, "COPYSIZEDBMP"); }

// SAVEBMP file , x , y - w , h: the rectangle of the shadow copy as a BMP
// file. The file is replaced whole once the picture is complete: a capture or
// a write that fails leaves an existing file as it was.
void SaveBmp(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  if (RefusedWhilePrinting(rt, "SAVEBMP")) return;
  const std::string name = TextArg(rt, ',', kFileNameDemand);
  BitmapRect r;
  r.x = NumberArg(rt, ',');
  r.y = NumberArg(rt, '-');
  r.w = NumberArg(rt, ',');
  r.h = NumberArg(rt, kRest);
  SetSize(rt, r.w, r.h);
  FileSystem& fs = *rt.host.files;
  // A bitmap the platform could not make, or one too large for a BMP file.
  bool ok = r.w > 0 && r.h > 0 && r.w <= gui::kBmpMaxSide && r.h <= gui::kBmpMaxSide &&
            int64_t(r.w) * r.h <= gui::kBmpMaxPixels;
  CapturedBits bits;
  ok = ok && Host(rt).CaptureShadow(r, bits);
  ok = ok && (bits.bits == 1 || bits.bits == 4 || bits.bits == 8 || bits.bits == 16 || bits.bits == 24 ||
              bits.bits == 32);
  ok = ok && bits.table.size() == gui::BmpColorTableBytes(bits.bits) &&
       int64_t(bits.pixels.size()) == gui::BmpRowBytes(bits.bits, r.w) * r.h;
  if (ok) {
    const std::string bytes = gui::BuildBmpFile(r.w, r.h, bits.bits, bits.table.data(), bits.pixels.data());
    ok = ReplaceWholeFile(fs, fs.MapPath(name), bytes) == 0;
  }
  if (!ok) RuntimeError(rt, msg::kBitmapNotSaved, name);
}

void BmpWidth(Runtime& rt, uint8_t) { rt.eval.rr.l = Model(rt).bitmap_width; }
void BmpHeight(Runtime& rt, uint8_t) { rt.eval.rr.l = Model(rt).bitmap_height; }

}  // namespace

void RegisterBitmapStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kDrawBmp] = DrawBmp;
  s[cmd::kDrawSizedBmp] = DrawSizedBmp;
  s[cmd::kDrawExtBmp] = DrawExtBmp;
  s[cmd::kDrawSizedExtBmp] = DrawSizedExtBmp;
  s[cmd::kMLoadBmp] = MLoadBmp;
  s[cmd::kMCopyBmp] = MCopyBmp;
  s[cmd::kMCopySizedBmp] = MCopySizedBmp;
  s[cmd::kCopyDBmp] = CopyDBmp;
  s[cmd::kCopySizedBmp] = CopySizedBmp;
  s[cmd::kSaveBmp] = SaveBmp;
  auto& v = rt.eval.system_variables;
  v[sv::kBmpWidth] = BmpWidth;
  v[sv::kBmpHeight] = BmpHeight;
}

}  // namespace vestil
