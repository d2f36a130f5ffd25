// Profile files and the clipboard of the Windows build.
#include "platform/win32/win32_util.h"

#include <cstring>

#include "platform/win32/win32_host.h"

namespace vestil {

std::string Win32Profile::ReadProfileString(std::string_view file, std::string_view section,
                                         std::string_view key) {
  std::string f(file), s(section), k(key);
  char buf[256] = {0};
  DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buf, 255, f.c_str());
  return std::string(buf, n);
}

bool Win32Profile::WriteProfileString(std::string_view file, std::string_view section,
                                   std::string_view key, std::string_view value) {
  std::string f(file), s(section), k(key), v(value);
  return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), f.c_str()) != 0;
}

void Win32Profile::ClearClipboard() {
  if (!OpenClipboard(Window(screen_.MainWindow()))) return;
  EmptyClipboard();
  CloseClipboard();
}

void Win32Profile::SetClipboardText(std::string_view text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, text.size() + 1);
  if (!block) return;
  if (void* p = GlobalLock(block)) {
    std::memcpy(p, text.data(), text.size());
    GlobalUnlock(block);
  }
  // The clipboard owns the block once SetClipboardData has taken it.
  bool taken = false;
  if (OpenClipboard(Window(screen_.MainWindow()))) {
    taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
  }
  if (!taken) GlobalFree(block);
}

std::string Win32Profile::ClipboardText() {
  std::string text;
  if (!OpenClipboard(Window(screen_.MainWindow()))) return text;
  if (IsClipboardFormatAvailable(CF_OEMTEXT)) {
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
      if (const char* p = static_cast<const char*>(GlobalLock(data))) {
        text.assign(p, strnlen(p, 255));
        GlobalUnlock(data);
      }
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace vestil
