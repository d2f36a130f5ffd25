// The host's own dialogs and boxes: the program-file choice at start, the
// message box, the pointer shown for a box, and the folder browser.
#include "platform/win32/win32_util.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>
#undef MessageBox

#include "platform/win32/win32_host.h"

namespace vestil {

bool Win32Dialogs::ChooseProgramFile(std::string_view caption, std::string& path) {
  // The filter pairs are separated by NULs and end with two.
  static const char kFilter[] = "Vestil-Code (*.vsc)\0*.VSC\0All (*.*)\0*.*\0";
  std::string title(caption);
  char name[MAX_PATH + 1] = {0};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = nullptr;
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name;
  ofn.nMaxFile = sizeof name;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = "*.*";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return false;
  path = name;
  return true;
}

int Win32Dialogs::MessageBox(std::string_view caption, std::string_view text, unsigned style) {
  std::string c(caption), t(text);
  return ::MessageBoxA(Window(screen_.MainWindow()), t.c_str(), c.c_str(), style);
}

void Win32Dialogs::ShowPointer() {
  while (ShowCursor(TRUE) < 0) {
  }
}

bool Win32Dialogs::ChooseDirectory(std::string_view title, std::string& path) {
  // The browser needs COM on this thread; each successful start is balanced.
  const HRESULT com = CoInitialize(nullptr);
  HWND owner = Window(screen_.MainWindow());
  LPITEMIDLIST root = nullptr;
  SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &root);
  std::string prompt(title);
  char display[MAX_PATH + 1] = {0};
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.pidlRoot = root;
  bi.pszDisplayName = display;
  bi.lpszTitle = prompt.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
  bool ok = false;
  if (chosen) {
    char buf[MAX_PATH + 1] = {0};
    if (SHGetPathFromIDListA(chosen, buf)) {
      path.assign(buf);
      if (path.size() > 255) path.resize(255);
      ok = true;
    }
    CoTaskMemFree(chosen);
  }
  if (root) CoTaskMemFree(root);
  if (SUCCEEDED(com)) CoUninitialize();
  if (owner) {
    InvalidateRect(owner, nullptr, TRUE);
    UpdateWindow(owner);
  }
  return ok;
}

}  // namespace vestil
