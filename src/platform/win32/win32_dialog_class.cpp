// The "DIALOG" class, the dialog-style window procedures and their rules:
// command rule B, child rule B and the scroll rule of scroll-bar controls.
// The main window's dialog-style procedure (option 0x200) uses the same
// rules from win32_window_proc.cpp.
#include "platform/win32/win32_dialog_class.h"

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

LRESULT CALLBACK DialogClassTrampoline(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Win32Screen* screen = WindowOwner<Win32Screen>(window, message, lparam);
  if (!screen) return DefDlgProcA(window, message, wparam, lparam);
  return static_cast<LRESULT>(screen->DialogProcedure(window, message, static_cast<uintptr_t>(wparam),
                                                      static_cast<intptr_t>(lparam), false));
}

}  // namespace

INT_PTR CALLBACK DialogTemplateProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(lparam));
  if (auto* screen = reinterpret_cast<Win32Screen*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
    screen->DialogProcedure(window, message, static_cast<uintptr_t>(wparam), static_cast<intptr_t>(lparam), true);
  // Never reports a message as handled.
  return FALSE;
}

bool Win32Screen::RegisterDialogClass() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.style = CS_CLASSDC;
  wc.lpfnWndProc = DialogClassTrampoline;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "VESTIL");
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kDialogClassName;
  return RegisterClassA(&wc) != 0;
}

// The procedure of "DIALOG" windows and, with `from_template`, of windows
// made from dialog templates (no WM_SIZE action; the dialog manager does the
// default processing).
intptr_t Win32Screen::DialogProcedure(void* handle, unsigned message, uintptr_t wparam, intptr_t lparam,
                                      bool from_template) {
  HWND window = Window(handle);
  if (events_) {
    WindowEvents& ev = *events_;
    ev.Message(message);
    dialog_window_ = window;
    bool handled = true;
    switch (message) {
      case WM_PAINT:
        ev.PaintDialog();
        handled = false;
        break;
      case WM_SIZE:
        if (!from_template) ev.PutEventCode(kEventSize);
        handled = false;
        break;
      case WM_SETFOCUS:
        ev.Focus(HandleNumber(GetFocus()));
        break;
      case WM_COMMAND:
        DialogStyleCommand(window, false, wparam, lparam);
        break;
      case WM_TIMER:
        ev.Timer(wparam);
        break;
      case WM_HSCROLL:
      case WM_VSCROLL:
        ScrollControl(wparam, lparam);
        break;
      case WM_PARENTNOTIFY:
        DialogChildNotify(wparam, lparam);
        break;
      default:
        handled = false;
        break;
    }
    if (handled || from_template) return 0;
  }
  if (from_template) return 0;
  return static_cast<intptr_t>(
      DefDlgProcA(window, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam)));
}

// Command rule B: the model decides, the window moves the focus around the
// queued code.
void Win32Screen::DialogStyleCommand(void*, bool main, uintptr_t wparam, intptr_t lparam) {
  WindowEvents& ev = *events_;
  const uint16_t id = LowWord(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  const ::vestil::DialogCommand d =
      ev.CommandRuleB(main ? DialogProcedure::kDialogStyleMain : DialogProcedure::kDialogClass, id, HighWord(wparam),
                      HandleNumber(control));
  switch (d.focus) {
    case DialogFocus::kNone:
      if (d.code) ev.PutEventCode(d.code);
      break;
    case DialogFocus::kNextAfterCode:
      ev.PutEventCode(d.code);
      SetFocus(GetWindow(GetFocus(), GW_HWNDNEXT));
      break;
    case DialogFocus::kClearThenCode:
      SetFocus(nullptr);
      ev.PutEventCode(d.code);
      break;
    case DialogFocus::kControlThenCode:
      SetFocus(control);
      ev.Focus(HandleNumber(GetFocus()));
      ev.PutEventCode(d.code);
      break;
    case DialogFocus::kRuleA:
      ev.Command(id, 0);
      break;
  }
}

// Child rule B: a left press is recorded only over a static control (its
// class name begins with "S"); a right press takes the focus away.
void Win32Screen::DialogChildNotify(uintptr_t wparam, intptr_t lparam) {
  WindowEvents& ev = *events_;
  const uint16_t event = LowWord(wparam);
  const uint16_t x = LowWord(static_cast<uintptr_t>(lparam)), y = HighWord(static_cast<uintptr_t>(lparam));
  if (event == WM_LBUTTONDOWN) {
    char name[4] = {0};
    GetClassNameA(GetFocus(), name, sizeof name);
    ev.ChildButtonB(MouseButton::kLeft, x, y, name[0] == 'S');
  } else if (event == WM_RBUTTONDOWN) {
    SetFocus(nullptr);
    ev.ChildButtonB(MouseButton::kRight, x, y, false);
  }
}

// WM_HSCROLL / WM_VSCROLL: the scroll rule on the control that sent it
// (lParam; the window's own scroll bars are left alone), then code 255.
void Win32Screen::ScrollControl(uintptr_t wparam, intptr_t lparam) {
  HWND bar = reinterpret_cast<HWND>(lparam);
  const int32_t focus = HandleNumber(GetFocus());
  if (bar) {
    int min = 0, max = 0;
    GetScrollRange(bar, SB_CTL, &min, &max);
    const int pos = GetScrollPos(bar, SB_CTL);
    SetScrollPos(bar, SB_CTL, events_->ScrollRule(min, max, pos, LowWord(wparam), HighWord(wparam)), TRUE);
  }
  events_->ScrollMessage(focus);
}

}  // namespace vestil
