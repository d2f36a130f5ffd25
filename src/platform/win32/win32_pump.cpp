// The message pump of vestrun.exe: the queue worked off between statements
// and in the waits, F1 polled, the dialog messages of the main and the
// dialog windows, WINDOWSTYLE's option rule, and the end of the program when
// the window is closed or a break was seen.
#include "platform/win32/win32_util.h"

#include "core/errors.h"
#include "platform/win32/win32_host.h"

namespace vestil {

void Win32Screen::PumpMessages() {
  WindowEvents* ev = events_;
  // F1 is polled: down now and pressed since the last query.
  if (ev && static_cast<uint16_t>(GetAsyncKeyState(VK_F1)) == 0x8001) ev->PutEventCode(kEventF1);
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

// IsDialogMessage for the main window (option 0x200, as it stands now) and
// for the dialog window that last had a message; otherwise the options turn
// system keys and system commands into commands of the window.
bool Win32Screen::PumpDialogMessage(void* m) {
  if (!events_) return false;
  MSG& msg = *static_cast<MSG*>(m);
  if (events_->StyleOptions().dialog_main && main_window_ && IsDialogMessageA(Window(main_window_), &msg)) return true;
  if (dialog_window_) {
    if (!IsWindow(Window(dialog_window_))) dialog_window_ = nullptr;
    else if (IsDialogMessageA(Window(dialog_window_), &msg)) return true;
  }
  if (events_->PumpedAsCommand(msg.message)) {
    msg.message = WM_COMMAND;
    msg.wParam = msg.wParam & 0xffff;
    msg.lParam = 0;
  }
  return false;
}

}  // namespace vestil
