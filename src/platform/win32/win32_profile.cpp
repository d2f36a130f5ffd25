// Profile files and the clipboard of the Windows build.
#include "platform/win32/win32_util.h"

#include <cstring>
#include <memory>

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
  // A file named without a folder is the Windows folder's, where the system
  // may keep a profile (WIN.INI, SYSTEM.INI) in the registry instead of the
  // file: a copy would bypass that mapping, so such an entry goes to the
  // profile functions themselves.
  if (f.find_first_of("\\/:") == std::string::npos)
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), f.c_str()) != 0;
  const std::string& target = f;
  // The entry is written into a copy beside the file, which then replaces
  // it in one step: a write that fails part-way leaves the old file whole.
  const DWORD old = GetFileAttributesA(target.c_str());
  if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
  std::string work;
  std::unique_ptr<HostFile> handle;
  if (files_.CreateWorkFile(target, work, handle) != 0) return false;
  handle.reset();
  bool ok = old == INVALID_FILE_ATTRIBUTES || CopyFileA(target.c_str(), work.c_str(), FALSE);
  ok = ok && SetFileAttributesA(work.c_str(), FILE_ATTRIBUTE_NORMAL);
  ok = ok && WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), work.c_str()) != 0;
  // Empty arguments write the cached profile out (and always answer FALSE).
  if (ok) WritePrivateProfileStringA(nullptr, nullptr, nullptr, work.c_str());
  if (!ok) {
    DeleteFileA(work.c_str());
    return false;
  }
  return files_.ReplaceByWorkFile(work, target) == 0;
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
