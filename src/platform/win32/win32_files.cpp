// Files and folders of the Windows build: kernel32 handles behind the host's
// file interface, with GetLastError as the reported code.
#include "platform/win32/win32_util.h"

#include <string>

#include "platform/win32/win32_host.h"

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

int Win32Files::OpenHostFile(const std::string& path, FileAccess access, bool create,
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

int Win32Files::EraseFile(const std::string& path) { return DeleteFileA(path.c_str()) ? 0 : LastError(); }

int Win32Files::RenameFile(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) ? 0 : LastError();
}

namespace {

// The folder of a path, with its final separator; empty for a bare name.
std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

int Win32Files::CreateWorkFile(const std::string& path, std::string& work_path, std::unique_ptr<HostFile>& file) {
  // In the folder of the file it replaces: a move within one volume is one step.
  std::string folder = FolderOf(path);
  if (folder.empty()) folder.push_back('.');
  char name[MAX_PATH + 1] = {0};
  if (!GetTempFileNameA(folder.c_str(), "VST", 0, name)) return LastError();
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const int error = LastError();
    DeleteFileA(name);
    return error;
  }
  work_path = name;
  file = std::make_unique<Win32File>(h);
  return 0;
}

int Win32Files::ReplaceByWorkFile(const std::string& work_path, const std::string& path) {
  auto fail = [&](int error) {
    DeleteFileA(work_path.c_str());
    return error;
  };
  const DWORD old = GetFileAttributesA(path.c_str());
  // A read-only file or a folder is not written over.
  if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return fail(ERROR_ACCESS_DENIED);
  HANDLE h = CreateFileA(work_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return fail(LastError());
  const bool flushed = FlushFileBuffers(h) != 0;
  const int flush_error = flushed ? 0 : LastError();
  CloseHandle(h);
  if (!flushed) return fail(flush_error);
  // ReplaceFile keeps the old file's attributes; a new file is moved in.
  if (old != INVALID_FILE_ATTRIBUTES &&
      ReplaceFileA(path.c_str(), work_path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return 0;
  if (MoveFileExA(work_path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  return fail(LastError());
}

bool Win32Files::SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return FileIdentity(a, ia) && FileIdentity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

int Win32Files::ResizeFile(const std::string& path, int64_t length) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return LastError();
  LARGE_INTEGER to;
  to.QuadPart = length;
  const bool ok = SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  const int error = ok ? 0 : LastError();
  CloseHandle(h);
  return error;
}

int Win32Files::GetAttributes(const std::string& path, uint32_t& attributes) {
  DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return LastError();
  attributes = a;
  return 0;
}

int Win32Files::SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) ? 0 : LastError();
}

int Win32Files::FileDate(const std::string& path, int& year, int& month, int& day) {
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

int Win32Files::ChangeDirectory(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) ? 0 : LastError();
}

int Win32Files::MakeDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) ? 0 : LastError();
}

int Win32Files::DeleteDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) ? 0 : LastError();
}

bool Win32Files::DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) {
  if (drive < 0 || drive > 26) return false;
  char root[] = "X:\\";
  root[0] = static_cast<char>('A' + drive - 1);
  ULARGE_INTEGER avail, total, all_free;
  if (!GetDiskFreeSpaceExA(drive == 0 ? nullptr : root, &avail, &total, &all_free)) return false;
  free_bytes = static_cast<int64_t>(avail.QuadPart);
  total_bytes = static_cast<int64_t>(total.QuadPart);
  return true;
}

std::string Win32Files::DriveDirectory(int drive) {
  if (drive <= 0 || drive > 26) return CurrentDirectory();
  // "X:" alone names the current directory of drive X.
  char spec[] = "X:";
  spec[0] = static_cast<char>('A' + drive - 1);
  char buf[MAX_PATH + 1] = {0};
  DWORD n = GetFullPathNameA(spec, sizeof buf, buf, nullptr);
  if (n == 0 || n >= sizeof buf) return std::string(spec) + "\\";
  return std::string(buf, n);
}

std::string Win32Files::CurrentDirectory() {
  return Directory([](char* buf, UINT size) { return static_cast<UINT>(GetCurrentDirectoryA(size, buf)); });
}

std::vector<FoundFile> Win32Files::FindFiles(std::string_view pattern) {
  std::vector<FoundFile> found;
  std::string p(pattern);
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(p.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back({data.cFileName, data.dwFileAttributes});
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return found;
}

}  // namespace vestil
