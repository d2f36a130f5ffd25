#pragma once
// Small helpers of the Windows host's files; they include windows.h.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h maps MessageBox to MessageBoxA; the host has a method of that name.
#undef MessageBox

#include <cstdint>
#include <cstring>
#include <string>

namespace vestil {

inline HWND Window(void* handle) { return static_cast<HWND>(handle); }

// Handles travel through scripts as 32-bit numbers.
inline int32_t HandleNumber(const void* handle) {
  return static_cast<int32_t>(reinterpret_cast<uintptr_t>(handle));
}

// The console's stock fonts by TextFontIndex 0..3: the ANSI and the OEM
// fixed font, then the system's fixed font twice.
inline HGDIOBJ ConsoleStockFont(int index) {
  switch (index & 3) {
    case 0: return GetStockObject(ANSI_FIXED_FONT);
    case 1: return GetStockObject(OEM_FIXED_FONT);
    default: return GetStockObject(SYSTEM_FIXED_FONT);
  }
}

inline uint16_t LowWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xffff); }
inline uint16_t HighWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xffff); }

// The object a window procedure serves: the creation parameter, kept in the
// window's user data from WM_NCCREATE on (nullptr before).
template <typename T>
T* WindowOwner(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Line `line` of an edit control, at most 255 characters (EM_GETLINE finds
// the buffer's size in its first word); empty when the edit gives nothing.
inline std::string EditControlLine(HWND edit, WPARAM line) {
  char buf[256] = {0};
  const WORD size = 255;
  memcpy(buf, &size, sizeof size);
  const LRESULT n = SendMessageA(edit, EM_GETLINE, line, reinterpret_cast<LPARAM>(buf));
  if (n <= 0) return std::string();
  return std::string(buf, static_cast<size_t>(n < 255 ? n : 255));
}

// The main window's procedure (win32_window_proc.cpp), which the class
// "FENSTER" is registered with (win32_main_window.cpp).
LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// A directory from one of the Get...DirectoryA functions.
template <typename Getter>
std::string Directory(Getter get) {
  char buf[MAX_PATH + 1] = {0};
  UINT n = get(buf, static_cast<UINT>(sizeof buf));
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

}  // namespace vestil
