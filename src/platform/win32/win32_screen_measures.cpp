// The screen's measures: its size, colour depth, the desktop and the focus.
#include "platform/win32/win32_util.h"

#include "platform/win32/win32_host.h"

namespace vestil {

int Win32Screen::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

int Win32Screen::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int Win32Screen::ColorBits() {
  HDC screen = GetDC(nullptr);
  int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}

int32_t Win32Screen::DesktopHandle() { return HandleNumber(GetDesktopWindow()); }

int32_t Win32Screen::FocusHandle() { return HandleNumber(GetFocus()); }

}  // namespace vestil
