// The printer of vestrun.exe: the default printer named by the profile
// entry "device" of [windows], its DC made with CreateDC, documents and
// pages through StartDoc and StartPage, and the work bitmap of the hard
// copies. While a script job runs, the screen's two output DCs are the
// printer's (RedirectOutput below).
#include "platform/win32/win32_util.h"

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

HDC Hdc(void* dc) { return static_cast<HDC>(dc); }

// The profile keeps the entry in a buffer of this many characters.
constexpr DWORD kDeviceEntrySize = 128;

void MapPage(HDC dc, const PageSetup& page) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, page.window_width, page.window_height, nullptr);
  SetViewportExtEx(dc, page.viewport_width, page.viewport_height, nullptr);
}

}  // namespace

void Win32Screen::RedirectOutput(void* printer_dc) {
  if (print_dc_) return;
  print_saved_target_dc_ = target_dc_;
  print_saved_shadow_dc_ = shadow_dc_;
  print_dc_ = target_dc_ = shadow_dc_ = printer_dc;
}

void Win32Screen::RestoreOutput() {
  if (!print_dc_) return;
  target_dc_ = print_saved_target_dc_;
  shadow_dc_ = print_saved_shadow_dc_;
  print_dc_ = print_saved_target_dc_ = print_saved_shadow_dc_ = nullptr;
}

std::string Win32Printer::DeviceEntry() {
  char buf[kDeviceEntrySize] = {0};
  const DWORD n = GetProfileStringA("windows", "device", "", buf, kDeviceEntrySize);
  return std::string(buf, n);
}

bool Win32Printer::Open(const PrinterDevice& device, int32_t& dpi_x, int32_t& dpi_y) {
  Close();
  HDC dc = CreateDCA(device.driver.c_str(), device.name.c_str(), device.port.c_str(), nullptr);
  if (!dc) return false;
  dc_ = dc;
  dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
  dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
  return true;
}

bool Win32Printer::StartDocument(std::string_view name, const PageSetup& page) {
  HDC dc = Hdc(dc_);
  if (!dc) return false;
  const std::string document(name);
  DOCINFOA info{};
  info.cbSize = sizeof info;  // 20 in the 32-bit build
  info.lpszDocName = document.c_str();
  info.lpszOutput = nullptr;
  if (StartDocA(dc, &info) <= 0) return false;
  in_document_ = true;
  if (StartPage(dc) <= 0) return false;
  MapPage(dc, page);
  return true;
}

// The pen and brush stay as they are; the script's font is selected again
// (a page may start with the device's defaults).
void Win32Printer::NextPage(const PageSetup& page) {
  HDC dc = Hdc(dc_);
  if (!dc || !in_document_) return;
  EndPage(dc);
  StartPage(dc);
  MapPage(dc, page);
  if (void* font = canvas_.ScriptFont()) SelectObject(dc, static_cast<HGDIOBJ>(font));
}

void Win32Printer::RedirectOutput() {
  if (!dc_) return;
  screen_.RedirectOutput(dc_);
  redirected_ = true;
}

void Win32Printer::Close() {
  if (redirected_) {
    screen_.RestoreOutput();
    redirected_ = false;
  }
  if (work_dc_) {
    SelectObject(Hdc(work_dc_), static_cast<HGDIOBJ>(work_old_bitmap_));
    DeleteDC(Hdc(work_dc_));
  }
  if (work_bitmap_) DeleteObject(static_cast<HGDIOBJ>(work_bitmap_));
  work_dc_ = work_bitmap_ = work_old_bitmap_ = nullptr;
  if (!dc_) return;
  if (in_document_) {
    EndPage(Hdc(dc_));
    EndDoc(Hdc(dc_));
    in_document_ = false;
  }
  DeleteDC(Hdc(dc_));
  dc_ = nullptr;
}

// The cursor "DRUCKER" of the executable; the wait cursor where it has none.
void Win32Printer::ShowPrintingCursor(bool on) {
  if (on) {
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), "DRUCKER");
    if (!cursor) cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    cursor_before_ = SetCursor(cursor);
    cursor_shown_ = true;
  } else if (cursor_shown_) {
    SetCursor(static_cast<HCURSOR>(cursor_before_));
    cursor_before_ = nullptr;
    cursor_shown_ = false;
  }
}

bool Win32Printer::MakeWorkBitmap(void* like_dc, int32_t width, int32_t height) {
  HDC like = Hdc(like_dc);
  HDC work = CreateCompatibleDC(like);
  if (!work) return false;
  HBITMAP bitmap = CreateCompatibleBitmap(like, width, height);
  if (!bitmap) {
    DeleteDC(work);
    return false;
  }
  work_dc_ = work;
  work_bitmap_ = bitmap;
  work_old_bitmap_ = SelectObject(work, bitmap);
  return true;
}

// The visible window: what the output target shows now.
bool Win32Printer::CaptureTarget(int32_t width, int32_t height) {
  HDC target = Hdc(screen_.TargetDC());
  if (!target || !MakeWorkBitmap(target, width, height)) return false;
  return BitBlt(Hdc(work_dc_), 0, 0, width, height, target, 0, 0, SRCCOPY) != 0;
}

bool Win32Printer::WindowSize(int32_t window, int32_t& width, int32_t& height) {
  HWND w = reinterpret_cast<HWND>(static_cast<intptr_t>(window));
  RECT r{};
  if (!window || !IsWindow(w) || !GetWindowRect(w, &r)) return false;
  width = r.right - r.left;
  height = r.bottom - r.top;
  return true;
}

// The whole window, frame and caption included, through its window DC.
bool Win32Printer::CaptureWindow(int32_t window) {
  HWND w = reinterpret_cast<HWND>(static_cast<intptr_t>(window));
  int32_t width = 0, height = 0;
  if (!WindowSize(window, width, height)) return false;
  HDC window_dc = GetWindowDC(w);
  if (!window_dc) return false;
  HDC screen = GetDC(nullptr);
  bool ok = MakeWorkBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (ok) ok = BitBlt(Hdc(work_dc_), 0, 0, width, height, window_dc, 0, 0, SRCCOPY) != 0;
  ReleaseDC(w, window_dc);
  return ok;
}

bool Win32Printer::PrintCapture(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!dc_ || !work_dc_ || !in_document_) return false;
  return BitBlt(Hdc(dc_), x, y, width, height, Hdc(work_dc_), x, y, SRCCOPY) != 0;
}

}  // namespace vestil
