// The window functions and statements on Windows: windows by handle (the
// handle numbers of scripts widen with their sign, so the special
// insert-after values -1 and -2 arrive as HWND_TOPMOST and HWND_NOTOPMOST),
// string resources and icons, path names and keystrokes. Every failing call
// gives 0 or an empty text and no error.
#include "platform/win32/win32_dialog_class.h"
#include "platform/win32/win32_host.h"

#include <shellapi.h>

#include <cstring>

namespace vestil {
namespace {

constexpr int kPathBuffer = 256;
constexpr int kTextBuffer = 256;
constexpr uint8_t kAltKey = 18;
constexpr uint8_t kShift = 16;

std::string Text(std::string_view t) { return std::string(t); }

// A path from one of the Get...PathNameA calls with a 256-byte buffer; the
// empty text on failure or when the path would not fit.
template <typename Getter>
std::string PathFrom(Getter get) {
  char buf[kPathBuffer] = {0};
  const DWORD n = get(buf, static_cast<DWORD>(sizeof buf));
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

}  // namespace

int32_t Win32WindowAccess::ClientWidth(int32_t window) {
  RECT r{};
  return GetClientRect(WindowFromNumber(window), &r) ? r.right : 0;
}

int32_t Win32WindowAccess::ClientHeight(int32_t window) {
  RECT r{};
  return GetClientRect(WindowFromNumber(window), &r) ? r.bottom : 0;
}

std::string Win32WindowAccess::ResourceString(int32_t module, int32_t id) {
  char buf[kTextBuffer] = {0};
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(module));
  if (!instance) instance = GetModuleHandleA(nullptr);
  const int n = LoadStringA(instance, static_cast<UINT>(id), buf, static_cast<int>(sizeof buf));
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string Win32WindowAccess::FullPath(std::string_view file) {
  const std::string name = Text(file);
  return PathFrom([&](char* buf, DWORD size) { return GetFullPathNameA(name.c_str(), size, buf, nullptr); });
}

std::string Win32WindowAccess::ShortPath(std::string_view path) {
  const std::string name = Text(path);
  return PathFrom([&](char* buf, DWORD size) { return GetShortPathNameA(name.c_str(), buf, size); });
}

int32_t Win32WindowAccess::Post(int32_t window, int32_t message, int32_t wparam, int32_t lparam) {
  return PostMessageA(WindowFromNumber(window), static_cast<UINT>(message),
                      static_cast<WPARAM>(static_cast<uint32_t>(wparam)), static_cast<LPARAM>(lparam))
             ? 1
             : 0;
}

// One press and release. The keys from an Alt up to and including the next
// other key carry scan byte 1.
void Win32WindowAccess::KeyEvent(uint8_t key, bool release) {
  BYTE scan = 0;
  if (key == kAltKey) {
    scan = 1;
    if (release) after_alt_ = true;
  } else if (after_alt_) {
    scan = 1;
    if (release) after_alt_ = false;
  }
  keybd_event(key, scan, release ? KEYEVENTF_KEYUP : 0, 0);
}

void Win32WindowAccess::SendKey(int32_t window, uint8_t key, bool shifted) {
  HWND target = WindowFromNumber(window);
  HWND focus = GetFocus();
  if (!target || target == focus) target = focus;
  SetActiveWindow(target);
  // A shifted key is typed with Shift held, not between two presses of Caps
  // Lock: Caps Lock shifts letters only, so "!" would arrive as "1", and it
  // would turn the user's own Caps Lock state around if a key got lost.
  if (shifted) KeyEvent(kShift, false);
  KeyEvent(key, false);
  KeyEvent(key, true);
  if (shifted) KeyEvent(kShift, true);
}

int32_t Win32WindowAccess::ScrollPosition(int32_t control) {
  return GetScrollPos(WindowFromNumber(control), SB_CTL);
}

// The number of icons in the file: ExtractIcon's count request (index -1);
// 0 for a file without icons or that cannot be read.
int32_t Win32WindowAccess::IconCount(std::string_view file) {
  const std::string name = Text(file);
  HICON count = ExtractIconA(GetModuleHandleA(nullptr), name.c_str(), static_cast<UINT>(-1));
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(count));
}

// The top-level windows in z-order from the first; the first whose text
// begins with `title` in any letter case. An empty title takes the first.
int32_t Win32WindowAccess::FindTopWindow(std::string_view title) {
  std::string want = Text(title);
  if (!want.empty()) CharUpperBuffA(want.data(), static_cast<DWORD>(want.size()));
  HWND w = GetWindow(GetDesktopWindow(), GW_CHILD);
  if (w) w = GetWindow(w, GW_HWNDFIRST);
  while (w) {
    char buf[kTextBuffer] = {0};
    const LRESULT n = SendMessageA(w, WM_GETTEXT, kTextBuffer - 1, reinterpret_cast<LPARAM>(buf));
    if (static_cast<size_t>(n) >= want.size()) {
      if (!want.empty()) CharUpperBuffA(buf, static_cast<DWORD>(want.size()));
      if (std::memcmp(buf, want.data(), want.size()) == 0) break;
    }
    w = GetWindow(w, GW_HWNDNEXT);
  }
  return HandleNumber(w);
}

void Win32WindowAccess::Place(int32_t window, int32_t after, int32_t x, int32_t y, int32_t width,
                              int32_t height) {
  SetWindowPos(WindowFromNumber(window), WindowFromNumber(after), x, y, width, height,
               after == 0 ? SWP_NOZORDER : 0);
}

void Win32WindowAccess::ShowMain(MainWindowShow how) {
  HWND window = Window(screen_.MainWindow());
  if (!window) return;
  const int command = how == MainWindowShow::kMaximized   ? SW_SHOWMAXIMIZED
                      : how == MainWindowShow::kMinimized ? SW_SHOWMINIMIZED
                                                          : SW_SHOWNORMAL;
  ShowWindow(window, command);
  UpdateWindow(window);
}

void Win32WindowAccess::Enable(int32_t window, bool enable) { EnableWindow(WindowFromNumber(window), enable); }

void Win32WindowAccess::SetCaption(int32_t window, std::string_view text) {
  SetWindowTextA(WindowFromNumber(window), Text(text).c_str());
}

void Win32WindowAccess::Check(int32_t window, bool checked) {
  SendMessageA(WindowFromNumber(window), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32WindowAccess::RepaintMain() {
  HWND window = Window(screen_.MainWindow());
  if (!window) return;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

void Win32WindowAccess::LogOff() { ExitWindowsEx(EWX_LOGOFF, 0); }

}  // namespace vestil
