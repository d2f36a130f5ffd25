// Files and folders of the console runner: POSIX calls behind the Host file
// interface, with their failures reported as the Windows error codes that the
// same failure gives on Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "host/terminal/terminal_host.h"
#include "base/cp1252.h"

namespace vestil {
namespace {

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Parent(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The Windows code of an errno. A missing file is 2 when its folder exists and
// 3 (path not found) when the folder is missing too.
int WindowsErrorOf(int e, const std::string& path) {
  switch (e) {
    case 0: return 0;
    case ENOENT: return IsDirectory(Parent(path)) ? 2 : 3;
    case ENOTDIR: return 3;
    case EACCES: case EPERM: case EISDIR: return 5;
    case EBADF: return 6;
    case EMFILE: case ENFILE: return 4;
    case EROFS: return 19;
    case EBUSY: case ETXTBSY: return 32;
    case EEXIST: return 183;
    case ENOTEMPTY: return 145;
    case ENOSPC: case EDQUOT: return 112;
    case EXDEV: return 17;
    case ENAMETOOLONG: return 206;
    case EINVAL: return 87;
    case EIO: return 30;
    case ELOOP: return 1921;
    default: return 31;  // a device is not functioning
  }
}

namespace {

int LastError(const std::string& path) { return WindowsErrorOf(errno, path); }

class PosixFile : public HostFile {
 public:
  PosixFile(int fd, FileAccess access) : fd_(fd), access_(access) {}
  ~PosixFile() override { ::close(fd_); }

  int Read(void* buffer, size_t count, size_t& done) override {
    done = 0;
    // A handle opened for writing only may not read, as on Windows.
    if (access_ == FileAccess::kWrite) return 5;
    char* p = static_cast<char*>(buffer);
    while (done < count) {
      ssize_t n = ::read(fd_, p + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return WindowsErrorOf(errno, "");
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return 0;
  }

  int Write(const void* buffer, size_t count, size_t& done) override {
    done = 0;
    if (access_ == FileAccess::kRead) return 5;
    const char* p = static_cast<const char*>(buffer);
    while (done < count) {
      ssize_t n = ::write(fd_, p + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return done ? 0 : WindowsErrorOf(errno, "");
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    return 0;
  }

  int Seek(int64_t position) override {
    if (position < 0) return 131;
    return ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0 ? WindowsErrorOf(errno, "") : 0;
  }

  int Position(int64_t& position) override {
    off_t p = ::lseek(fd_, 0, SEEK_CUR);
    if (p < 0) return WindowsErrorOf(errno, "");
    position = p;
    return 0;
  }

  int Size(int64_t& size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return WindowsErrorOf(errno, "");
    size = st.st_size;
    return 0;
  }

 private:
  int fd_;
  FileAccess access_;
};

// The attributes Windows would show: folders 0x10, files 0x20 (archive);
// read-only without the owner's write permission; hidden for names that start
// with a dot, this platform's hidden files.
uint32_t AttributesOf(const std::string& path, const struct stat& st) {
  uint32_t a = S_ISDIR(st.st_mode) ? 0x10 : 0x20;
  if (!(st.st_mode & S_IWUSR)) a |= 0x01;
  std::string base = BaseName(path);
  if (!base.empty() && base[0] == '.' && base != "." && base != "..") a |= 0x02;
  return a;
}

}  // namespace

int TerminalHost::OpenHostFile(const std::string& path, FileAccess access, bool create,
                              std::unique_ptr<HostFile>& file) {
  int flags = access == FileAccess::kRead ? O_RDONLY : access == FileAccess::kWrite ? O_WRONLY : O_RDWR;
  if (create) flags |= O_CREAT | O_TRUNC;
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return LastError(path);
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    // Windows does not open a folder as a file.
    ::close(fd);
    return 5;
  }
  file = std::make_unique<PosixFile>(fd, access);
  return 0;
}

int TerminalHost::EraseFile(const std::string& path) {
  if (IsDirectory(path)) return 5;
  return ::unlink(path.c_str()) == 0 ? 0 : LastError(path);
}

bool TerminalHost::SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

int TerminalHost::RenameFile(const std::string& from, const std::string& to) {
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return LastError(from);
  // Windows renames onto no existing name: the target is never replaced
  // (a new spelling of the same name is a rename in place).
  if (::lstat(to.c_str(), &st) == 0 && !SameFile(from, to)) return 183;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError(to);
}

int TerminalHost::GetAttributes(const std::string& path, uint32_t& attributes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return LastError(path);
  attributes = AttributesOf(path, st);
  return 0;
}

int TerminalHost::SetAttributes(const std::string& path, uint32_t attributes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return LastError(path);
  // Only the read-only bit has a meaning here: it takes the write permissions
  // away, and clearing it gives the owner's back.
  mode_t mode = st.st_mode & 07777;
  if (attributes & 0x01) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else mode |= S_IWUSR;
  return ::chmod(path.c_str(), mode) == 0 ? 0 : LastError(path);
}

int TerminalHost::FileDate(const std::string& path, int& year, int& month, int& day) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return LastError(path);
  struct tm t;
  time_t when = st.st_mtime;
  if (!localtime_r(&when, &t)) return 87;
  year = t.tm_year + 1900;
  month = t.tm_mon + 1;
  day = t.tm_mday;
  return 0;
}

int TerminalHost::ChangeDirectory(const std::string& path) {
  if (::chdir(path.c_str()) == 0) return 0;
  return errno == ENOTDIR && !IsDirectory(path) ? 267 : LastError(path);
}

int TerminalHost::MakeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : LastError(path);
}

int TerminalHost::DeleteDirectory(const std::string& path) {
  if (::rmdir(path.c_str()) == 0) return 0;
  if (errno == EEXIST) return 145;  // not empty, as some systems say it
  return errno == ENOTDIR && !IsDirectory(path) ? 267 : LastError(path);
}

std::string TerminalHost::DriveFolder(char letter) const {
  char var[] = "VESTIL_DRIVE_X";
  var[13] = letter;
  const char* root = std::getenv(var);
  if (!root || !*root) return std::string();
  if (root[0] == '/' || start_directory_.empty()) return root;
  std::string folder = start_directory_;
  folder.push_back('/');
  folder.append(root);
  return folder;
}

bool TerminalHost::DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) {
  if (drive < 0 || drive > 26) return false;
  struct statvfs s;
  std::string root(1, '.');
  if (drive > 0) root = DriveFolder(static_cast<char>('A' + drive - 1));
  if (root.empty()) root.push_back('/');
  if (::statvfs(root.c_str(), &s) != 0) return false;
  free_bytes = static_cast<int64_t>(s.f_bavail) * static_cast<int64_t>(s.f_frsize);
  total_bytes = static_cast<int64_t>(s.f_blocks) * static_cast<int64_t>(s.f_frsize);
  return true;
}

std::string TerminalHost::DriveDirectory(int drive) {
  std::string current = CurrentDirectory();
  const char letter = static_cast<char>('A' + drive - 1);
  if (drive == 0 || (!current.empty() && std::toupper(static_cast<unsigned char>(current[0])) == letter))
    return current;
  std::string root(1, letter);
  root.append(":\\");
  return root;
}

bool TerminalHost::ChooseDirectory(std::string_view title, std::string& path) {
  // The console asks: the title as the prompt, the answer typed as a line; an
  // empty answer (or the end of the input) cancels.
  WriteText(std::string(title) + " ");
  std::string line;
  if (!ReadLine(line, 255)) {
    WriteText("\n");
    return false;
  }
  if (line.empty()) return false;
  path = line;
  return true;
}

}  // namespace vestil
