// Icons and the mouse cursor (see win32_icons.h). Icons from resources are
// shared by the system and need no release; an icon taken from a file is
// destroyed after drawing.
#include "platform/win32/win32_util.h"

#include <shellapi.h>

#include "platform/win32/win32_host.h"
#include "platform/win32/win32_icons.h"

namespace vestil {
namespace {

// A resource by number or by name; `name` must outlive the call it is given to.
LPCSTR ResourceId(const ImageName& name) {
  return name.by_number ? MAKEINTRESOURCEA(name.number) : name.text.c_str();
}

HINSTANCE ModuleOf(std::optional<int32_t> module) {
  if (!module) return GetModuleHandleA(nullptr);
  return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(*module));
}

// ExtractIcon's answer for a file that holds no icons.
bool NoIcon(HICON icon) { return icon == nullptr || icon == reinterpret_cast<HICON>(1); }

}  // namespace

bool Win32Icons::DrawIcon(const IconSource& icon, int32_t x, int32_t y) {
  HICON h = nullptr;
  bool extracted = false;
  switch (icon.kind) {
    case IconSource::Kind::kResource:
      h = LoadIconA(ModuleOf(icon.module), ResourceId(icon.name));
      break;
    case IconSource::Kind::kFile:
      h = ExtractIconA(GetModuleHandleA(nullptr), icon.file.c_str(), static_cast<UINT>(icon.index));
      if (NoIcon(h)) h = nullptr;
      extracted = true;
      break;
    case IconSource::Kind::kSystem:
      h = LoadIconA(nullptr, MAKEINTRESOURCEA(icon.number));
      break;
  }
  if (!h) return false;
  bool drawn = true;
  if (HDC target = static_cast<HDC>(screen_.TargetDC())) {
    drawn = ::DrawIcon(target, x, y, h) != FALSE;
    if (drawn) {
      if (HDC shadow = static_cast<HDC>(screen_.ShadowDC())) ::DrawIcon(shadow, x, y, h);
    }
  }
  if (extracted) DestroyIcon(h);
  return drawn;
}

bool Win32Icons::SetWindowIcon(const ImageName& name) {
  HICON h = LoadIconA(GetModuleHandleA(nullptr), ResourceId(name));
  if (!h) return false;
  if (HWND main = Window(screen_.MainWindow())) SetClassLongPtrA(main, GCLP_HICON, reinterpret_cast<LONG_PTR>(h));
  return true;
}

void Win32Icons::UseCursor(void* cursor) {
  if (!cursor) return;
  HCURSOR h = static_cast<HCURSOR>(cursor);
  ::SetCursor(h);
  if (HWND main = Window(screen_.MainWindow())) SetClassLongPtrA(main, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(h));
}

void Win32Icons::SetSystemCursor(uint16_t number) { UseCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(number))); }

void Win32Icons::SetResourceCursor(std::optional<int32_t> module, const ImageName& name) {
  UseCursor(LoadCursorA(ModuleOf(module), ResourceId(name)));
}

// ShowCursor only moves the display count, so the first call also tells
// where it stood: a pointer already in the wanted state gets its count back.
void Win32Icons::ShowMousePointer(bool visible) {
  if (visible) {
    int count = ShowCursor(TRUE);
    if (count > 0) {
      ShowCursor(FALSE);
      return;
    }
    while (count < 0) count = ShowCursor(TRUE);
  } else {
    int count = ShowCursor(FALSE);
    if (count < -1) {
      ShowCursor(TRUE);
      return;
    }
    while (count >= 0) count = ShowCursor(FALSE);
  }
}

}  // namespace vestil
