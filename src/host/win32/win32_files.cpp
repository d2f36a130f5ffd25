// Files and folders of the Windows build: kernel32 handles behind the Host
// file interface, with GetLastError as the reported code; the shell's folder
// browser for @CHOOSEDIR$.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#undef MessageBox

#include <string>

#include "host/win32/win32_host.h"

namespace vestil {
namespace {

int LastError() {
  DWORD e = GetLastError();
  return e ? static_cast<int>(e) : 31;
}

class Win32File : public HostFile {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  ~Win32File() override { CloseHandle(h_); }

  int Read(void* buffer, size_t count, size_t& done) override {
    DWORD got = 0;
    done = 0;
    if (!ReadFile(h_, buffer, static_cast<DWORD>(count), &got, nullptr)) return LastError();
    done = got;
    return 0;
  }

  int Write(const void* buffer, size_t count, size_t& done) override {
    DWORD put = 0;
    done = 0;
    if (!WriteFile(h_, buffer, static_cast<DWORD>(count), &put, nullptr)) return LastError();
    done = put;
    return 0;
  }

  int Seek(int64_t position) override {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) ? 0 : LastError();
  }

  int Position(int64_t& position) override {
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(h_, zero, &at, FILE_CURRENT)) return LastError();
    position = at.QuadPart;
    return 0;
  }

  int Size(int64_t& size) override {
    LARGE_INTEGER s;
    if (!GetFileSizeEx(h_, &s)) return LastError();
    size = s.QuadPart;
    return 0;
  }

 private:
  HANDLE h_;
};

// The identity of a file: its volume and its index on the volume.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return ok;
}

}  // namespace

int Win32Host::OpenHostFile(const std::string& path, FileAccess access, bool create,
                            std::unique_ptr<HostFile>& file) {
  DWORD rights = access == FileAccess::kRead    ? GENERIC_READ
                 : access == FileAccess::kWrite ? GENERIC_WRITE
                                                : GENERIC_READ | GENERIC_WRITE;
  // Both sides of a channel may have one file open at once.
  HANDLE h = CreateFileA(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  file = std::make_unique<Win32File>(h);
  return 0;
}

int Win32Host::EraseFile(const std::string& path) { return DeleteFileA(path.c_str()) ? 0 : LastError(); }

int Win32Host::RenameFile(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) ? 0 : LastError();
}

bool Win32Host::SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return FileIdentity(a, ia) && FileIdentity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

int Win32Host::GetAttributes(const std::string& path, uint32_t& attributes) {
  DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return LastError();
  attributes = a;
  return 0;
}

int Win32Host::SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) ? 0 : LastError();
}

int Win32Host::FileDate(const std::string& path, int& year, int& month, int& day) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  FindClose(h);
  FILETIME local;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &t))
    return LastError();
  year = t.wYear;
  month = t.wMonth;
  day = t.wDay;
  return 0;
}

int Win32Host::ChangeDirectory(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) ? 0 : LastError();
}

int Win32Host::MakeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) ? 0 : LastError();
}

int Win32Host::DeleteDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) ? 0 : LastError();
}

bool Win32Host::DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) {
  if (drive < 0 || drive > 26) return false;
  char root[] = "X:\\";
  root[0] = static_cast<char>('A' + drive - 1);
  ULARGE_INTEGER avail, total, all_free;
  if (!GetDiskFreeSpaceExA(drive == 0 ? nullptr : root, &avail, &total, &all_free)) return false;
  free_bytes = static_cast<int64_t>(avail.QuadPart);
  total_bytes = static_cast<int64_t>(total.QuadPart);
  return true;
}

std::string Win32Host::DriveDirectory(int drive) {
  if (drive <= 0 || drive > 26) return CurrentDirectory();
  // "X:" alone names the current directory of drive X.
  char spec[] = "X:";
  spec[0] = static_cast<char>('A' + drive - 1);
  char buf[MAX_PATH + 1] = {0};
  DWORD n = GetFullPathNameA(spec, sizeof buf, buf, nullptr);
  if (n == 0 || n >= sizeof buf) return std::string(spec) + "\\";
  return std::string(buf, n);
}

bool Win32Host::ChooseDirectory(std::string_view title, std::string& path) {
  // The browser needs COM on this thread; each successful start is balanced.
  const HRESULT com = CoInitialize(nullptr);
  HWND owner = static_cast<HWND>(owner_);
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
