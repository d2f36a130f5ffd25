// The main window of vestrun.exe: the class "FENSTER", its creation on first
// need with its DCs and the shadow copy, the size that holds the console, and
// the end of the program's window.
#include "platform/win32/win32_util.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

constexpr char kMainClass[] = "FENSTER";
constexpr char kBanner[] = "KVN-VESTIL\xb2 RUNTIME 5.0a-NT";
// The style bit creation always adds; passed to the window manager as is.
constexpr DWORD kCreationStyleBit = 0x2000;

}  // namespace

Win32Screen::Win32Screen() : caption_(kBanner) { RegisterDialogClass(); }

bool Win32Screen::EnsureMainWindow() {
  if (main_window_) return true;
  if (!events_) return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  screen_width_ = ScreenWidth();
  screen_height_ = ScreenHeight();
  // WINDOWSTYLE's options as they stand now.
  const WindowStyleOptions options = events_->StyleOptions();
  if (!class_registered_) {
    WNDCLASSA wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainWindowProcedure;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "VESTIL");
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(options.null_background ? NULL_BRUSH : WHITE_BRUSH));
    wc.lpszClassName = kMainClass;
    if (!RegisterClassA(&wc)) return false;
    class_registered_ = true;
    dialog_main_ = options.dialog_main;
  }
  HMENU menu = options.no_menu ? nullptr : LoadMenuA(instance, "LEER");
  HWND window = CreateWindowExA(0, kMainClass, caption_.c_str(), options.style | kCreationStyleBit, 0, 0,
                                screen_width_, screen_height_, nullptr, menu, instance, this);
  if (!window) {
    if (menu) DestroyMenu(menu);
    return false;
  }
  main_window_ = window;
  const WindowRect r = events_->Placement();
  SetWindowPos(window, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER);
  HoldGrid();
  ShowWindow(window, SW_SHOWDEFAULT);

  HDC target = GetDC(window);
  SetStretchBltMode(target, COLORONCOLOR);
  HDC shadow = CreateCompatibleDC(target);
  SetStretchBltMode(shadow, COLORONCOLOR);
  HBITMAP bitmap = CreateCompatibleBitmap(target, screen_width_, screen_height_);
  shadow_old_bitmap_ = SelectObject(shadow, bitmap);
  // The new window shows its class background; the shadow starts as that
  // (a copy of the window DC would take whatever lies outside the client
  // area or is not yet erased).
  PatBlt(shadow, 0, 0, screen_width_, screen_height_, WHITENESS);
  target_dc_ = target;
  shadow_dc_ = shadow;
  shadow_bitmap_ = bitmap;
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  return true;
}

void Win32Screen::CreateConsole(void* window) {
  HDC dc = GetDC(Window(window));
  std::array<FontMetrics, 4> fonts{};
  HGDIOBJ old = SelectObject(dc, ConsoleStockFont(0));
  for (int k = 0; k < 4; ++k) {
    SelectObject(dc, ConsoleStockFont(k));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    fonts[static_cast<size_t>(k)] = {tm.tmMaxCharWidth, tm.tmHeight, tm.tmExternalLeading, tm.tmAscent};
  }
  SelectObject(dc, old);
  ReleaseDC(Window(window), dc);
  cells_ = events_->ConsoleCreated(screen_width_, screen_height_, fonts);
}

// The window grows, never shrinks, until its client area holds every cell
// of the grid: the cells are as wide as the widest stock glyph, which the
// grid's size (the window's width div 8, height div 15) does not know. It
// grows no further than the screen.
void Win32Screen::HoldGrid() {
  HWND window = Window(main_window_);
  RECT client{}, outer{};
  if (!window || !GetClientRect(window, &client) || !GetWindowRect(window, &outer)) return;
  const GridSize grid = events_->ConsoleGrid();
  const int wide = std::max(0, grid.columns * cells_.cell.width - static_cast<int>(client.right));
  const int high = std::max(0, grid.rows * cells_.cell.height - static_cast<int>(client.bottom));
  if (!wide && !high) return;
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  SetWindowPos(window, nullptr, 0, 0, std::min(width + wide, std::max(width, screen_width_)),
               std::min(height + high, std::max(height, screen_height_)), SWP_NOZORDER | SWP_NOMOVE);
}

void Win32Screen::DestroyTargets() {
  RestoreOutput();   // a print job keeps its DC but draws here no more
  EndPaintWindow();  // a STARTPAINT still active gives its DC back first
  HDC shadow = static_cast<HDC>(shadow_dc_);
  if (shadow) {
    SelectObject(shadow, static_cast<HGDIOBJ>(shadow_old_bitmap_));
    DeleteDC(shadow);
  }
  if (shadow_bitmap_) DeleteObject(static_cast<HGDIOBJ>(shadow_bitmap_));
  if (target_dc_ && main_window_) ReleaseDC(Window(main_window_), static_cast<HDC>(target_dc_));
  target_dc_ = shadow_dc_ = shadow_bitmap_ = shadow_old_bitmap_ = nullptr;
}

void Win32Screen::EndProgram() {
  HWND window = Window(main_window_);
  if (!window || !events_) return;
  if (!stopped_by_break_) {
    DestroyWindow(window);
    return;
  }
  // Stopped by Ctrl+C or Ctrl+Break: the window stays with its content,
  // repainted from the shadow, until the user closes it. A break seen now
  // stops nothing.
  SetWindowTextA(window, caption_.c_str());
  EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Screen::SetTitle(std::string_view title) {
  caption_.assign(title.substr(0, 255));
  if (main_window_) SetWindowTextA(Window(main_window_), caption_.c_str());
}

}  // namespace vestil
