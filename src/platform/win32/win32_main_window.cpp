// The main window of vestrun.exe: the class "FENSTER", its creation on first
// need, the window procedure that turns messages into calls on the gui model,
// the message pump, the text console painted into the window and its shadow
// copy, and the end of the program's window.
#include "platform/win32/win32_util.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/errors.h"
#include "gui/window_model.h"
#include "platform/win32/win32_dialog_class.h"
#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

constexpr char kMainClass[] = "FENSTER";
constexpr char kBanner[] = "KVN-VESTIL\xb2 RUNTIME 5.0a-NT";
// The style bit creation always adds; passed to the window manager as is.
constexpr DWORD kCreationStyleBit = 0x2000;
constexpr UINT kPartnerMessage = 996;
// ReadKey polls the queue; between two polls it yields until a message
// arrives or this many milliseconds pass.
constexpr DWORD kReadKeyYield = 10;

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Screen* screen = WindowOwner<Win32Screen>(window, message, lparam);
  if (!screen) return DefWindowProcA(window, message, wparam, lparam);
  return static_cast<LRESULT>(screen->Procedure(window, message, static_cast<uintptr_t>(wparam),
                                                static_cast<intptr_t>(lparam)));
}

HGDIOBJ StockFont(gui::StockFont font) {
  switch (font) {
    case gui::StockFont::kAnsiFixed: return GetStockObject(ANSI_FIXED_FONT);
    case gui::StockFont::kOemFixed: return GetStockObject(OEM_FIXED_FONT);
    case gui::StockFont::kSystemFixed: break;
  }
  return GetStockObject(SYSTEM_FIXED_FONT);
}

HGDIOBJ StockFontOf(int index) { return StockFont(gui::kStockFontTable[static_cast<size_t>(index & 3)]); }


// The grid's runs and scrolls, painted into the window and its shadow copy.
class WindowPainter : public gui::GridPainter {
 public:
  WindowPainter(HWND window, HDC target, HDC shadow, const gui::WindowModel& model)
      : window_(window), target_(target), shadow_(shadow), model_(model) {}

  // Every character in its own cell: the stock fonts may advance by less
  // than the cell width (the widest glyph of them all), and a span must end
  // where the next one starts.
  void DrawRun(const gui::GridOp& run) override {
    const gui::Pixel at = gui::CellPixel(model_.cell, run.column, run.row);
    const int n = static_cast<int>(run.text.size());
    const std::vector<INT> advance(run.text.size(), model_.cell.width);
    for (HDC dc : {target_, shadow_}) {
      HGDIOBJ old_font = SelectObject(dc, StockFontOf(run.font));
      SetTextColor(dc, gui::PaletteForeground(run.attribute));
      SetBkColor(dc, gui::PaletteBackground(run.attribute));
      SetBkMode(dc, OPAQUE);
      if (run.font != model_.metric_font_index) {
        // Clear the full cell height with the font that sets it.
        SelectObject(dc, StockFontOf(model_.metric_font_index));
        const std::string spaces(run.text.size(), ' ');
        ExtTextOutA(dc, at.x, at.y, 0, nullptr, spaces.data(), static_cast<UINT>(n), advance.data());
        SelectObject(dc, StockFontOf(run.font));
      }
      ExtTextOutA(dc, at.x, at.y, 0, nullptr, run.text.data(), static_cast<UINT>(n), advance.data());
      SelectObject(dc, old_font);
    }
  }

  void ScrollUp() override {
    ScrollWindow(window_, 0, -model_.cell.height, nullptr, nullptr);
    UpdateWindow(window_);
  }

  void Beep() override { MessageBeep(0); }

 private:
  HWND window_;
  HDC target_, shadow_;
  const gui::WindowModel& model_;
};

// The caret of ReadKey, an underline at the text cursor, removed on every
// way out of the wait.
class Caret {
 public:
  ~Caret() { Hide(); }
  void Show(HWND window, const gui::WindowModel& m) {
    const gui::Pixel at = gui::CaretPixel(m.cell, m.grid.cursor_x(), m.grid.cursor_y());
    if (!window_) {
      if (!CreateCaret(window, nullptr, m.cell.width, 2)) return;
      window_ = window;
      SetCaretPos(at.x, at.y);
      ShowCaret(window);
    } else {
      SetCaretPos(at.x, at.y);
    }
  }
  void Hide() {
    if (!window_) return;
    HideCaret(window_);
    DestroyCaret();
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
};

}  // namespace

Win32Screen::Win32Screen() : caption_(kBanner) { RegisterDialogClass(); }

bool Win32Screen::EnsureMainWindow() {
  if (main_window_) return true;
  if (!model_) return false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  screen_width_ = ScreenWidth();
  screen_height_ = ScreenHeight();
  // WINDOWSTYLE's options as they stand now.
  const gui::WindowStyleOptions& options = model_->settings.options;
  if (!class_registered_) {
    WNDCLASSA wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC | CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = MainProcedure;
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
  const gui::WindowRect& r = model_->settings.rect;
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

void Win32Screen::CreateTextModel(void* window) {
  model_->grid.Create(screen_width_, screen_height_);
  // The cell from the stock fonts' metrics.
  HDC dc = GetDC(Window(window));
  std::array<gui::FontMetrics, 4> fonts{};
  HGDIOBJ old = SelectObject(dc, StockFontOf(0));
  for (int k = 0; k < 4; ++k) {
    SelectObject(dc, StockFontOf(k));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    fonts[static_cast<size_t>(k)] = {tm.tmMaxCharWidth, tm.tmHeight, tm.tmExternalLeading, tm.tmAscent};
  }
  SelectObject(dc, old);
  ReleaseDC(Window(window), dc);
  model_->cell = gui::ComputeCellMetrics(fonts, model_->metric_font_index);
}

// The window grows, never shrinks, until its client area holds every cell
// of the grid: the cells are as wide as the widest stock glyph, which the
// grid's size (the window's width div 8, height div 15) does not know. It
// grows no further than the screen.
void Win32Screen::HoldGrid() {
  HWND window = Window(main_window_);
  RECT client{}, outer{};
  if (!window || !GetClientRect(window, &client) || !GetWindowRect(window, &outer)) return;
  const int wide = std::max(0, model_->grid.columns() * model_->cell.width - static_cast<int>(client.right));
  const int high = std::max(0, model_->grid.rows() * model_->cell.height - static_cast<int>(client.bottom));
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

// The paint rule: restore the window from the shadow copy, or with PaintMode
// 0 only tell the script to repaint.
void Win32Screen::Paint(void* window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Window(window), &ps);
  // During STARTPAINT of another window or printing the shadow copy is the
  // saved one.
  HDC shadow = static_cast<HDC>(paint_dc_ ? saved_shadow_dc_ : print_dc_ ? print_saved_shadow_dc_ : shadow_dc_);
  if (shadow && model_->events.PaintMain(model_->paint_mode))
    BitBlt(dc, 0, 0, screen_width_, screen_height_, shadow, 0, 0, SRCCOPY);
  EndPaint(Window(window), &ps);
}

intptr_t Win32Screen::Procedure(void* handle, unsigned message, uintptr_t wparam, intptr_t lparam) {
  HWND window = Window(handle);
  gui::EventState& ev = model_->events;
  ev.Message(message);
  switch (message) {
    case WM_NCCREATE:
      main_window_ = window;
      break;
    case WM_CREATE:
      CreateTextModel(window);
      return 0;
    case WM_DESTROY:
      DestroyTargets();
      model_->grid.Destroy();
      model_->has_focus = false;
      main_window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_MOVE:
      return 0;
    case WM_SIZE:
      // The scroll origin stays (0, 0): nothing of the text to move.
      ev.PutEventCode(gui::kEventSize);
      return 0;
    case WM_SETFOCUS:
      ev.focus_handle = HandleNumber(GetFocus());
      model_->has_focus = true;
      return 0;
    case WM_KILLFOCUS:
      model_->has_focus = false;
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_KEYDOWN:
      if (ev.KeyDown(static_cast<uint32_t>(wparam)) == gui::KeyResult::kBreak) RequestBreak();
      return 0;
    case WM_CHAR:
      if (ev.Char(static_cast<uint32_t>(wparam & 0xff)) == gui::KeyResult::kBreak) RequestBreak();
      return 0;
    case WM_COMMAND:
      if (dialog_main_) {
        DialogCommand(window, true, wparam, lparam);
        return 0;
      }
      ev.Command(LowWord(wparam), HandleNumber(reinterpret_cast<void*>(lparam)));
      return 0;
    case WM_TIMER:
      ev.Timer(wparam);
      return 0;
    case WM_MOUSEMOVE:
      ev.MouseMove(LowWord(lparam), HighWord(lparam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      SetFocus(window);
      const auto b = (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) ? gui::MouseButton::kLeft
                                                                             : gui::MouseButton::kRight;
      if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)
        ev.ButtonDown(b, LowWord(lparam), HighWord(lparam), HandleNumber(window));
      else
        ev.ButtonUp(b, LowWord(lparam), HighWord(lparam), HandleNumber(window));
      return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      ScrollControl(wparam, lparam);
      return 0;
    case WM_PARENTNOTIFY: {
      if (dialog_main_) {
        DialogChildNotify(wparam, lparam);
        return 0;
      }
      const uint16_t event = LowWord(wparam);
      const int32_t focus = HandleNumber(GetFocus());
      if (event == WM_LBUTTONDOWN || event == WM_RBUTTONDOWN)
        ev.ChildButtonA(event == WM_LBUTTONDOWN ? gui::MouseButton::kLeft : gui::MouseButton::kRight,
                        LowWord(lparam), HighWord(lparam), focus);
      else
        ev.focus_handle = focus;
      return 0;
    }
    case kPartnerMessage:
      ev.Partner(HandleNumber(reinterpret_cast<void*>(wparam)));
      return 0;
    default:
      break;
  }
  if (dialog_main_)
    return static_cast<intptr_t>(
        DefDlgProcA(window, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam)));
  return static_cast<intptr_t>(
      DefWindowProcA(window, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam)));
}

void Win32Screen::PumpMessages() {
  gui::EventState* ev = model_ ? &model_->events : nullptr;
  // F1 is polled: down now and pressed since the last query.
  if (ev && static_cast<uint16_t>(GetAsyncKeyState(VK_F1)) == 0x8001) ev->PutEventCode(gui::kEventF1);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (ev) ev->Pumped(msg.message);
    // The window was closed: the program ends.
    if (msg.message == WM_QUIT) throw ProgramExit{255};
    // The script timer of a program without a window: no procedure sees it.
    if (msg.message == WM_TIMER && !msg.hwnd && thread_timer_ && msg.wParam == thread_timer_ && ev) ev->Timer(1);
    if (!PumpDialogMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (break_requested_) {
      break_requested_ = false;
      stopped_by_break_ = true;
      throw ProgramExit{255};
    }
  }
}

void Win32Screen::EndProgram() {
  HWND window = Window(main_window_);
  if (!window || !model_) return;
  if (!stopped_by_break_) {
    DestroyWindow(window);
    return;
  }
  // Stopped by Ctrl+C or Ctrl+Break: the window stays with its content,
  // repainted from the shadow, until the user closes it.
  model_->events.break_enabled = false;
  SetWindowTextA(window, caption_.c_str());
  EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool Win32Screen::WriteText(std::string_view bytes) {
  if (!EnsureMainWindow()) return false;
  const std::vector<gui::GridOp> ops = model_->grid.Write(bytes);
  if (main_window_ && target_dc_) {
    WindowPainter painter(Window(main_window_), static_cast<HDC>(target_dc_), static_cast<HDC>(shadow_dc_),
                          *model_);
    gui::PaintGridOps(ops, painter);
  }
  PumpMessages();
  return true;
}

// The oldest queued code; while none is queued the queue is pumped, with the
// caret shown while the window has the focus.
uint8_t Win32Screen::ReadKey() {
  uint8_t code = 0;
  if (model_->events.TakeKey(code)) return code;
  Caret caret;
  for (;;) {
    if (main_window_ && model_->has_focus) caret.Show(Window(main_window_), *model_);
    else caret.Hide();
    PumpMessages();
    if (model_->events.TakeKey(code)) return code;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kReadKeyYield, QS_ALLINPUT);
  }
}

LineRead Win32Screen::ReadLine(std::string& line, size_t max_chars) {
  if (!EnsureMainWindow()) return LineRead::kNoConsole;
  gui::LineEditor editor(static_cast<int>(std::min<size_t>(max_chars, gui::kConsoleLineBuffer - 2)) + 2);
  std::string echo;
  for (;;) {
    const bool done = editor.Feed(ReadKey(), echo);
    if (!echo.empty()) WriteText(echo);
    if (done) break;
  }
  line = editor.line();
  // The console form of INPUT ends with a new line.
  WriteText("\n");
  return LineRead::kLine;
}

bool Win32Screen::Locate(int column, int row) {
  // The cursor lives in the window's grid, so LOCATE makes the window.
  if (!EnsureMainWindow()) return false;
  model_->grid.Locate(row + 1, column + 1);
  return true;
}

void Win32Screen::SetTitle(std::string_view title) {
  caption_.assign(title.substr(0, 255));
  if (main_window_) SetWindowTextA(Window(main_window_), caption_.c_str());
}

}  // namespace vestil
