// Files and folders of the console runner: POSIX calls behind the Host file
// interface, with their failures reported as the Windows error codes that the
// same failure gives on Windows.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/cp1252.h"
#include "base/windows_errors.h"
#include "platform/terminal/terminal_host.h"

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
  using namespace win_error;
  switch (e) {
    case 0: return 0;
    case ENOENT: return IsDirectory(Parent(path)) ? kFileNotFound : kPathNotFound;
    case ENOTDIR: return kPathNotFound;
    case EACCES: case EPERM: case EISDIR: return kAccessDenied;
    case EBADF: return kInvalidHandle;
    case EMFILE: case ENFILE: return kTooManyOpenFiles;
    case EROFS: return kWriteProtect;
    case EBUSY: case ETXTBSY: return kSharingViolation;
    case EEXIST: return kAlreadyExists;
    case ENOTEMPTY: return kDirectoryNotEmpty;
    case ENOSPC: case EDQUOT: return kDiskFull;
    case EXDEV: return kNotSameDevice;
    case ENAMETOOLONG: return kFileNameTooLong;
    case EINVAL: return kInvalidParameter;
    case EIO: return kReadFault;
    case ELOOP: return kCannotResolveName;
    default: return kGeneralFailure;
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
    if (access_ == FileAccess::kWrite) return win_error::kAccessDenied;
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
    if (access_ == FileAccess::kRead) return win_error::kAccessDenied;
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
    if (position < 0) return win_error::kNegativeSeek;
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

namespace {

bool Exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

// Windows file names ignore case: when a path does not exist as written, each
// component is looked up again without regard to case.
std::string MatchCase(const std::string& path) {
  if (path.empty() || Exists(path)) return path;
  std::string out = path[0] == '/' ? "/" : "";
  size_t i = path[0] == '/' ? 1 : 0;
  while (i <= path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    std::string comp = path.substr(i, j - i);
    if (!comp.empty()) {
      std::string candidate = out + comp;
      if (!Exists(candidate)) {
        if (DIR* d = opendir(out.empty() ? "." : out.c_str())) {
          while (dirent* e = readdir(d)) {
            if (strcasecmp(e->d_name, comp.c_str()) == 0) {
              candidate = out + e->d_name;
              break;
            }
          }
          closedir(d);
        }
      }
      out = candidate;
      if (j < path.size()) out += '/';
    }
    i = j + 1;
  }
  return out;
}

// Windows file name patterns: * and ? without regard to case. A star
// remembers where it stood, so a mismatch retries from there: no recursion.
bool Matches(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0, star = std::string_view::npos, star_n = 0;
  auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      star_n = n;
    } else if (m < mask.size() && (mask[m] == '?' || same(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

// "*.*" matches every name; a pattern ending in a dot ("*.", "ab.") matches
// the names without an extension.
bool MatchesPattern(const std::string& name, std::string mask) {
  if (mask == "*.*") return true;
  if (mask.size() > 1 && mask.back() == '.' && mask != "..") {
    mask.pop_back();
    if (name != "." && name != ".." && name.find('.') != std::string::npos) return false;
  }
  return Matches(name, mask);
}

}  // namespace

TerminalFiles::TerminalFiles() {
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) start_directory_ = cwd;
}

namespace {

// The part of a path after its drive letter, from the drive's root, with "."
// and ".." resolved as Windows resolves them: ".." at the root stays there,
// so no path leaves its drive. A final separator is kept.
std::string FromDriveRoot(std::string_view rest) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < rest.size()) {
    size_t j = rest.find_first_of("/\\", i);
    if (j == std::string_view::npos) j = rest.size();
    std::string_view part = rest.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  for (std::string_view part : parts) out.append("/").append(part);
  if (out.empty() || rest.find_last_of("/\\") == rest.size() - 1) out.push_back('/');
  return out;
}

}  // namespace

std::string TerminalFiles::MapPath(std::string_view name) {
  std::string p = Cp1252ToUtf8(name);
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    // A drive letter: VESTIL_DRIVE_<letter> names the folder it stands for;
    // without it every drive is the root of the file system.
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
    p = DriveFolder(letter) + FromDriveRoot(std::string_view(p).substr(2));
  }
  for (auto& c : p)
    if (c == '\\') c = '/';
  return MatchCase(p);
}

int TerminalFiles::OpenHostFile(const std::string& path, FileAccess access, bool create,
                              std::unique_ptr<HostFile>& file) {
  int flags = access == FileAccess::kRead ? O_RDONLY : access == FileAccess::kWrite ? O_WRONLY : O_RDWR;
  if (create) flags |= O_CREAT | O_TRUNC;
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return LastError(path);
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    // Windows does not open a folder as a file.
    ::close(fd);
    return win_error::kAccessDenied;
  }
  file = std::make_unique<PosixFile>(fd, access);
  return 0;
}

int TerminalFiles::EraseFile(const std::string& path) {
  if (IsDirectory(path)) return win_error::kAccessDenied;
  return ::unlink(path.c_str()) == 0 ? 0 : LastError(path);
}

bool TerminalFiles::SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

int TerminalFiles::RenameFile(const std::string& from, const std::string& to) {
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return LastError(from);
  // Windows renames onto no existing name: the target is never replaced
  // (a new spelling of the same name is a rename in place).
  if (::lstat(to.c_str(), &st) == 0 && !SameFile(from, to)) return win_error::kAlreadyExists;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : LastError(to);
}

int TerminalFiles::ResizeFile(const std::string& path, int64_t length) {
  return ::truncate(path.c_str(), static_cast<off_t>(length)) == 0 ? 0 : LastError(path);
}

int TerminalFiles::GetAttributes(const std::string& path, uint32_t& attributes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return LastError(path);
  attributes = AttributesOf(path, st);
  return 0;
}

int TerminalFiles::SetAttributes(const std::string& path, uint32_t attributes) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return LastError(path);
  // Only the read-only bit has a meaning here: it takes the write permissions
  // away, and clearing it gives the owner's back.
  mode_t mode = st.st_mode & 07777;
  if (attributes & 0x01) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else mode |= S_IWUSR;
  return ::chmod(path.c_str(), mode) == 0 ? 0 : LastError(path);
}

int TerminalFiles::FileDate(const std::string& path, int& year, int& month, int& day) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return LastError(path);
  struct tm t;
  time_t when = st.st_mtime;
  if (!localtime_r(&when, &t)) return win_error::kInvalidParameter;
  year = t.tm_year + 1900;
  month = t.tm_mon + 1;
  day = t.tm_mday;
  return 0;
}

int TerminalFiles::ChangeDirectory(const std::string& path) {
  if (::chdir(path.c_str()) == 0) return 0;
  return errno == ENOTDIR && !IsDirectory(path) ? win_error::kDirectoryName : LastError(path);
}

int TerminalFiles::MakeDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : LastError(path);
}

int TerminalFiles::DeleteDirectory(const std::string& path) {
  if (::rmdir(path.c_str()) == 0) return 0;
  if (errno == EEXIST) return win_error::kDirectoryNotEmpty;  // not empty, as some systems say it
  return errno == ENOTDIR && !IsDirectory(path) ? win_error::kDirectoryName : LastError(path);
}

std::string TerminalFiles::DriveFolder(char letter) const {
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

bool TerminalFiles::DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) {
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

std::string TerminalFiles::DriveDirectory(int drive) {
  std::string current = CurrentDirectory();
  const char letter = static_cast<char>('A' + drive - 1);
  if (drive == 0 || (!current.empty() && std::toupper(static_cast<unsigned char>(current[0])) == letter))
    return current;
  std::string root(1, letter);
  root.append(":\\");
  return root;
}

std::vector<FoundFile> TerminalFiles::FindFiles(std::string_view pattern) {
  std::string p(pattern);
  size_t slash = p.rfind('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
  std::string mask = slash == std::string::npos ? p : p.substr(slash + 1);
  std::vector<FoundFile> found;
  DIR* d = opendir(dir.c_str());
  if (!d) return found;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if ((name == "." || name == "..") && dir == "/") continue;  // a root has neither
    if (!MatchesPattern(name, mask)) continue;
    struct stat st;
    if (::stat((dir + "/" + name).c_str(), &st) != 0) continue;
    FoundFile f;
    f.name = Utf8ToCp1252(name);
    f.attributes = S_ISDIR(st.st_mode) ? kAttributeDirectory : kAttributeArchive;
    if (!(st.st_mode & S_IWUSR)) f.attributes |= kAttributeReadOnly;
    // Names starting with a dot are the hidden files of this platform.
    if (name[0] == '.' && name != "." && name != "..") f.attributes |= kAttributeHidden;
    found.push_back(std::move(f));
  }
  closedir(d);
  // "." and ".." first, then by name without regard to case.
  auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
  std::sort(found.begin(), found.end(), [&](const FoundFile& a, const FoundFile& b) {
    if (rank(a.name) != rank(b.name)) return rank(a.name) < rank(b.name);
    return strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
  });
  return found;
}

std::string TerminalFiles::CurrentDirectory() {
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return "C:\\";
  std::string p = std::string("C:") + buf;
  for (auto& c : p)
    if (c == '/') c = '\\';
  return Utf8ToCp1252(p);
}

}  // namespace vestil
