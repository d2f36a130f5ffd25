// The DDE link of LINKCONNECT, LINKSEND and LINKCLOSE: a client conversation
// with a partner program that the main window's procedure learns from its
// WM_DDE_ACK (the partner's window).
#include "platform/win32/win32_dialog_class.h"

#include <dde.h>

#include <cstring>
#include <string>

#include "core/errors.h"
#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

// LINKSEND polls for the acknowledgement; between two polls it yields until
// a message arrives or this many milliseconds pass.
constexpr DWORD kAckYield = 10;
constexpr UINT kDdeShare = 0x2000;  // GMEM_DDESHARE, a fixed block

}  // namespace

// WM_DDE_INITIATE to every top-level window with the two names as global
// atoms, which live only as long as the broadcast.
void Win32Screen::LinkConnect(std::string_view application, std::string_view topic) {
  const std::string app(application), top(topic);
  const ATOM a = GlobalAddAtomA(app.c_str());
  const ATOM t = GlobalAddAtomA(top.c_str());
  SendMessageA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(main_window_), MAKELPARAM(a, t));
  if (a) GlobalDeleteAtom(a);
  if (t) GlobalDeleteAtom(t);
}

// WM_DDE_EXECUTE with the text in a shared block, then the queue is worked
// until the partner's WM_DDE_ACK arrives (taken, not dispatched). Without a
// partner nothing is sent: a post to no window would land in this thread's
// own queue, and no acknowledgement would ever end the wait. The wait also
// ends when the partner's window goes away.
void Win32Screen::LinkSend(int32_t partner_number, std::string_view text) {
  if (!events_) return;
  HWND partner = WindowFromNumber(partner_number);
  if (!partner) return;
  HGLOBAL block = GlobalAlloc(kDdeShare, text.size() + 1);
  if (!block) return;
  char* p = static_cast<char*>(GlobalLock(block));
  if (!p) {
    GlobalFree(block);
    return;
  }
  std::memcpy(p, text.data(), text.size());
  p[text.size()] = '\0';
  GlobalUnlock(block);
  if (PostMessageA(partner, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(main_window_),
                   reinterpret_cast<LPARAM>(block))) {
    events_->Message(0);  // the wait starts with no message seen
    MSG msg;
    for (;;) {
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsWindow(partner)) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kAckYield, QS_ALLINPUT);
        continue;
      }
      if (msg.message == WM_DDE_ACK) {
        FreeDDElParam(WM_DDE_ACK, msg.lParam);
        break;
      }
      if (msg.message == WM_QUIT) {
        GlobalFree(block);
        throw ProgramExit{255};
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (break_requested_) {
        break_requested_ = false;
        stopped_by_break_ = true;
        GlobalFree(block);
        throw ProgramExit{255};
      }
    }
  }
  GlobalFree(block);
}

void Win32Screen::LinkClose(int32_t partner) {
  if (!events_ || !partner) return;
  PostMessageA(WindowFromNumber(partner), WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(main_window_), 0);
}

}  // namespace vestil
