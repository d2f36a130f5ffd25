// The menus of the main window: the menu bar (the window's own menu, so the
// handle the window shows is always the script's menu bar), its drop-downs
// and submenus, and the free pop-up menus that SHOWPOPUP tracks. Items are
// addressed by command identifier throughout.
#include "platform/win32/win32_util.h"

#include <string>

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

// Handle numbers come back as the sign-extended 32-bit values handles are.
HMENU Menu(int32_t number) { return reinterpret_cast<HMENU>(static_cast<intptr_t>(number)); }

// An identifier as the menu functions take it: the script's 32-bit value.
UINT_PTR Id(int32_t id) { return static_cast<UINT_PTR>(static_cast<uint32_t>(id)); }

}  // namespace

int32_t Win32Menus::WindowMenu() {
  HWND window = Window(screen_.MainWindow());
  return window ? HandleNumber(GetMenu(window)) : 0;
}

void Win32Menus::SetWindowMenu(int32_t menu) {
  if (HWND window = Window(screen_.MainWindow())) SetMenu(window, Menu(menu));
}

int32_t Win32Menus::LoadResourceMenu(int32_t module, std::string_view name) {
  const std::string n(name);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(module));
  return HandleNumber(LoadMenuA(instance, n.c_str()));
}

int32_t Win32Menus::CreateMenu(bool popup) {
  return HandleNumber(popup ? CreatePopupMenu() : ::CreateMenu());
}

bool Win32Menus::AppendItem(int32_t menu, int32_t id, std::string_view text) {
  const std::string t(text);
  return AppendMenuA(Menu(menu), MF_STRING, Id(id), t.c_str()) != FALSE;
}

bool Win32Menus::AppendPopup(int32_t menu, int32_t popup, std::string_view text) {
  const std::string t(text);
  return AppendMenuA(Menu(menu), MF_POPUP, reinterpret_cast<UINT_PTR>(Menu(popup)), t.c_str()) != FALSE;
}

bool Win32Menus::AppendSeparator(int32_t menu) {
  return AppendMenuA(Menu(menu), MF_SEPARATOR, 0, nullptr) != FALSE;
}

bool Win32Menus::InsertItem(int32_t menu, int32_t before, int32_t id, std::string_view text) {
  const std::string t(text);
  return InsertMenuA(Menu(menu), static_cast<UINT>(before), MF_BYCOMMAND | MF_STRING, Id(id), t.c_str()) != FALSE;
}

void Win32Menus::CheckItem(int32_t menu, int32_t id, bool checked) {
  CheckMenuItem(Menu(menu), static_cast<UINT>(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Menus::EnableItem(int32_t menu, int32_t id, uint32_t state) {
  EnableMenuItem(Menu(menu), static_cast<UINT>(id), state);
}

void Win32Menus::RemoveItem(int32_t menu, int32_t id) {
  RemoveMenu(Menu(menu), static_cast<UINT>(id), MF_BYCOMMAND);
}

void Win32Menus::DrawMenuBar() {
  if (HWND window = Window(screen_.MainWindow())) ::DrawMenuBar(window);
}

// The choice is posted to the window as WM_COMMAND; the statement drains the
// queue afterwards so that it is recorded before the next statement.
void Win32Menus::ShowPopup(int32_t menu, int32_t x, int32_t y) {
  HWND window = Window(screen_.MainWindow());
  POINT p{x, y};
  ClientToScreen(window, &p);
  TrackPopupMenu(Menu(menu), TPM_RIGHTBUTTON, p.x, p.y, 0, window, nullptr);
  DestroyMenu(Menu(menu));
  if (window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
}

}  // namespace vestil
