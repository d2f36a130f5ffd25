// The main window's procedure: each message reported into the runtime's
// WindowEvents, with the platform side done here (focus, painting from the
// shadow copy, the console's creation and end, the dialog-style procedure of
// option 0x200).
#include "platform/win32/win32_util.h"

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

constexpr UINT kPartnerMessage = 996;

}  // namespace

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Screen* screen = WindowOwner<Win32Screen>(window, message, lparam);
  if (!screen) return DefWindowProcA(window, message, wparam, lparam);
  return static_cast<LRESULT>(screen->Procedure(window, message, static_cast<uintptr_t>(wparam),
                                                static_cast<intptr_t>(lparam)));
}

// The paint rule: restore the window from the shadow copy, or with PaintMode
// 0 only tell the script to repaint.
void Win32Screen::Paint(void* window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Window(window), &ps);
  // During STARTPAINT of another window or printing the shadow copy is the
  // saved one.
  HDC shadow = static_cast<HDC>(paint_dc_ ? saved_shadow_dc_ : print_dc_ ? print_saved_shadow_dc_ : shadow_dc_);
  if (shadow && events_->PaintMain()) BitBlt(dc, 0, 0, screen_width_, screen_height_, shadow, 0, 0, SRCCOPY);
  EndPaint(Window(window), &ps);
}

intptr_t Win32Screen::Procedure(void* handle, unsigned message, uintptr_t wparam, intptr_t lparam) {
  HWND window = Window(handle);
  WindowEvents& ev = *events_;
  ev.Message(message);
  switch (message) {
    case WM_NCCREATE:
      main_window_ = window;
      break;
    case WM_CREATE:
      CreateConsole(window);
      return 0;
    case WM_DESTROY:
      DestroyTargets();
      ev.ConsoleDestroyed();
      has_focus_ = false;
      main_window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_MOVE:
      return 0;
    case WM_SIZE:
      // The scroll origin stays (0, 0): nothing of the text to move.
      ev.PutEventCode(kEventSize);
      return 0;
    case WM_SETFOCUS:
      ev.Focus(HandleNumber(GetFocus()));
      has_focus_ = true;
      return 0;
    case WM_KILLFOCUS:
      has_focus_ = false;
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_KEYDOWN:
      if (ev.KeyDown(static_cast<uint32_t>(wparam)) == KeyResult::kBreak) RequestBreak();
      return 0;
    case WM_CHAR:
      if (ev.Char(static_cast<uint32_t>(wparam & 0xff)) == KeyResult::kBreak) RequestBreak();
      return 0;
    case WM_COMMAND:
      if (dialog_main_) {
        DialogStyleCommand(window, true, wparam, lparam);
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
      const auto b = (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) ? MouseButton::kLeft : MouseButton::kRight;
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
        ev.ChildButtonA(event == WM_LBUTTONDOWN ? MouseButton::kLeft : MouseButton::kRight, LowWord(lparam),
                        HighWord(lparam), focus);
      else
        ev.Focus(focus);
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

}  // namespace vestil
