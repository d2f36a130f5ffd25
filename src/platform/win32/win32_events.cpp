// The waits' sleep, the script timer and the handles of the main window
// (see Win32Events in win32_host.h).
#include "platform/win32/win32_util.h"

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

constexpr UINT_PTR kScriptTimer = 1;
// A polling wait yields until a message arrives or this many milliseconds pass.
constexpr DWORD kPollYield = 10;

}  // namespace

InputEvent Win32Events::WaitForEvent(WaitFor, bool, bool poll) {
  // The window procedure records what arrives while the next pump runs.
  if (poll)
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollYield, QS_ALLINPUT);
  else
    WaitMessage();
  return {};
}

void Win32Events::SetTimer(uint32_t ms) {
  timer_owner_ = screen_.main_window_;
  if (timer_owner_) {
    ::SetTimer(Window(timer_owner_), kScriptTimer, ms, nullptr);
  } else {
    screen_.thread_timer_ = ::SetTimer(nullptr, 0, ms, nullptr);
  }
}

void Win32Events::KillTimer() {
  if (timer_owner_) {
    ::KillTimer(Window(timer_owner_), kScriptTimer);
  } else if (screen_.thread_timer_) {
    ::KillTimer(nullptr, screen_.thread_timer_);
  }
  screen_.thread_timer_ = 0;
  timer_owner_ = nullptr;
}

int32_t Win32Events::MainWindowHandle() { return HandleNumber(screen_.main_window_); }

int32_t Win32Events::TargetDcHandle() { return HandleNumber(screen_.target_dc_); }

int32_t Win32Events::ShadowDcHandle() { return HandleNumber(screen_.shadow_dc_); }

// The font selected into the output target; the target's own font (the
// stock system font) counts as none.
int32_t Win32Events::ScriptFontHandle() {
  if (!screen_.target_dc_) return 0;
  HGDIOBJ font = GetCurrentObject(static_cast<HDC>(screen_.target_dc_), OBJ_FONT);
  return font == GetStockObject(SYSTEM_FONT) ? 0 : HandleNumber(font);
}

WindowEdges Win32Events::MainWindowEdges() {
  RECT r{};
  if (!screen_.main_window_ || !GetWindowRect(Window(screen_.main_window_), &r)) return {};
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace vestil
