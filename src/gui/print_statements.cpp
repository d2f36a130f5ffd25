// Printing and hard copies (see print_statements.h). A script job redirects
// the drawing statements to the printer until ENDPRINT or the end of the
// program (the loop closes the host's printer then, also after a fatal
// error); a hard copy opens and closes its own device inside its statement.
#include "gui/print_statements.h"

#include <cmath>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "gui/draw_statements.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace gui {

std::optional<PrinterDevice> ParseDeviceEntry(std::string_view entry) {
  const size_t first = entry.find(',');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t second = entry.find(',', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  PrinterDevice d;
  d.name.assign(entry.substr(0, first));
  d.driver.assign(entry.substr(first + 1, second - first - 1));
  d.port.assign(entry.substr(second + 1));
  return d;
}

int32_t RoundHalfEven(double v) {
  // nearbyint rounds in the current mode; the default mode is to nearest,
  // a half to even, and nothing in the runtime changes it.
  const double r = std::nearbyint(v);
  if (!(r >= INT32_MIN && r <= INT32_MAX)) return r > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<int32_t>(r);
}

PageSetup MapPage(int32_t window_width, int32_t window_height, double scale_x, double scale_y) {
  PageSetup p;
  p.window_width = window_width;
  p.window_height = window_height;
  p.viewport_width = RoundHalfEven(scale_x * 22);
  p.viewport_height = RoundHalfEven(scale_y * 33);
  return p;
}

namespace {
int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}
}  // namespace

ScreenCopyArea ClampScreenCopy(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t page_width,
                               int32_t page_height) {
  ScreenCopyArea a;
  a.page_height = Saturate(int64_t{page_width} * 3 / 2);
  int64_t right = x2, bottom = y2;
  if (right - x1 > int64_t{page_width} - 1) right = int64_t{x1} + page_width - 1;
  if (bottom - y1 > int64_t{page_height} - 1) bottom = int64_t{y1} + page_height - 1;
  if (bottom - y1 > int64_t{a.page_height} - 1) bottom = int64_t{y1} + a.page_height - 1;
  a.x = x1;
  a.y = y1;
  a.width = Saturate(right - x1);
  a.height = Saturate(bottom - y1);
  return a;
}

Extent FitWindowCopy(int32_t w, int32_t h) {
  Extent e{w, Saturate(int64_t{w} * 3 / 2)};
  if (e.height < h) {
    e.width = Saturate(int64_t{h} * 2 / 3);
    e.height = h;
  }
  return e;
}

}  // namespace gui

namespace {

constexpr char kJobDocument[] = "DruckSeite";
constexpr char kScreenCopyDocument[] = "ScreenCopy";
constexpr char kWindowCopyDocument[] = "WindowCopy";

gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kNumberDemand);
  return rt.eval.rr.l;
}

// The default printer's device made, its scales kept; false when the profile
// names none or the device cannot be made.
bool OpenDefaultPrinter(Runtime& rt) {
  Printer& p = *rt.host.printer;
  const std::optional<PrinterDevice> device = gui::ParseDeviceEntry(p.DeviceEntry());
  int32_t dpi_x = 0, dpi_y = 0;
  if (!device || !p.Open(*device, dpi_x, dpi_y)) return false;
  gui::WindowModel& m = Model(rt);
  m.printer_scale_x = dpi_x / 3.0;
  m.printer_scale_y = dpi_y / 3.0;
  return true;
}

PageSetup MapPage(Runtime& rt, int32_t window_width, int32_t window_height) {
  const gui::WindowModel& m = Model(rt);
  return gui::MapPage(window_width, window_height, m.printer_scale_x, m.printer_scale_y);
}

// STARTPRINT: makes the window, opens a job "DruckSeite" on the default
// printer and sends the drawing statements there. A second STARTPRINT
// before ENDPRINT is refused as the other statements are while printing.
void StartPrint(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "STARTPRINT")) return;
  rt.host.canvas->EnsureWindow();
  Printer& p = *rt.host.printer;
  if (!OpenDefaultPrinter(rt) ||
      !p.StartDocument(kJobDocument, MapPage(rt, gui::kScriptPageWidth, gui::kScriptPageHeight))) {
    p.Close();
    RuntimeError(rt, msg::kPrintingImpossible, "");
    return;
  }
  p.RedirectOutput();
  Model(rt).printing = true;
}

// NEWPAGE: the next sheet, mapped as the first, with the script's font.
void NewPage(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!Model(rt).printing) {
    RuntimeError(rt, msg::kStartPrintMissing, "");
    return;
  }
  rt.host.printer->NextPage(MapPage(rt, gui::kScriptPageWidth, gui::kScriptPageHeight));
}

// ENDPRINT: the job ends and output goes to the window again.
void EndPrint(Runtime& rt) {
  rt.loop.statement_handled = true;
  gui::WindowModel& m = Model(rt);
  if (!m.printing) {
    RuntimeError(rt, msg::kStartPrintMissing, "");
    return;
  }
  rt.host.printer->Close();
  m.printing = false;
}

// A hard copy shows the printing cursor while it runs and leaves nothing
// open, however it ends (a fatal error unwinds through here).
class HardCopy {
 public:
  explicit HardCopy(Printer& p) : p_(p) { p_.ShowPrintingCursor(true); }
  HardCopy(const HardCopy&) = delete;
  HardCopy& operator=(const HardCopy&) = delete;
  ~HardCopy() {
    p_.Close();
    p_.ShowPrintingCursor(false);
  }

 private:
  Printer& p_;
};

// SCREENCOPY [x1 , y1 - x2 , y2]: the rectangle of the window (without
// one, its client area) at the same place on a page as wide as the window
// and 1.5 times as high. The corners count as (x1, y1) inclusive and
// (x2, y2) exclusive, so the client area prints whole; a rectangle with
// nothing inside is a failed copy (236).
void ScreenCopy(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "SCREENCOPY")) return;
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  const bool given = rt.loop.arg_text.find_first_not_of(' ') != std::string_view::npos;
  if (given) {
    x1 = NumberArg(rt, ',');
    y1 = NumberArg(rt, '-');
    x2 = NumberArg(rt, ',');
    y2 = NumberArg(rt, kRest);
  }
  Printer& p = *rt.host.printer;
  HardCopy copy(p);
  if (!given) {
    const int32_t window = rt.host.events->MainWindowHandle();
    x2 = rt.host.windows->ClientWidth(window);
    y2 = rt.host.windows->ClientHeight(window);
  }
  if (!OpenDefaultPrinter(rt)) {
    RuntimeError(rt, msg::kPrintingImpossible, "");
    return;
  }
  if (!RequireWindow(rt)) return;
  const gui::WindowSettings& s = Model(rt).settings;
  const gui::ScreenCopyArea a = gui::ClampScreenCopy(x1, y1, x2, y2, s.page_width, s.page_height);
  if (a.width <= 0 || a.height <= 0 || !p.CaptureTarget(s.page_width, s.page_height)) {
    RuntimeWarning(rt, msg::kHardCopyFailed, "");
    return;
  }
  if (!p.StartDocument(kScreenCopyDocument, MapPage(rt, s.page_width, a.page_height))) {
    RuntimeError(rt, msg::kPrintingImpossible, "");
    return;
  }
  if (!p.PrintCapture(a.x, a.y, a.width, a.height)) RuntimeWarning(rt, msg::kHardCopyFailed, "");
}

// WINCOPY window: the whole window, frame and caption included, from the
// page's top-left corner, fitted into a 2:3 page.
void WinCopy(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (RefusedWhilePrinting(rt, "WINCOPY")) return;
  const int32_t window = NumberArg(rt, kRest);
  Printer& p = *rt.host.printer;
  HardCopy copy(p);
  int32_t w = 0, h = 0;
  if (!p.WindowSize(window, w, h)) {
    RuntimeError(rt, msg::kInvalidWindowHandle, "");
    return;
  }
  if (!OpenDefaultPrinter(rt)) {
    RuntimeError(rt, msg::kPrintingImpossible, "");
    return;
  }
  const gui::Extent e = gui::FitWindowCopy(w, h);
  if (!p.StartDocument(kWindowCopyDocument, MapPage(rt, e.width, e.height))) {
    RuntimeError(rt, msg::kPrintingImpossible, "");
    return;
  }
  if (!p.CaptureWindow(window) || !p.PrintCapture(0, 0, w, h)) RuntimeWarning(rt, msg::kHardCopyFailed, "");
}

}  // namespace

void RegisterPrintStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kStartPrint] = StartPrint;
  s[cmd::kNewPage] = NewPage;
  s[cmd::kEndPrint] = EndPrint;
  s[cmd::kScreenCopy] = ScreenCopy;
  s[cmd::kWinCopy] = WinCopy;
}

}  // namespace vestil
