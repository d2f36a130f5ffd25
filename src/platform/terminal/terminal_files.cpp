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
  folders_.fill("\\");
  // The runner starts on the drive that holds the directory it started in.
  Locate(start_directory_);
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

namespace {

// A host folder without "." and ".." parts and without a final slash ("" for
// the root): symbolic links resolved where the folder exists.
std::string CanonicalFolder(const std::string& folder) {
  if (folder.empty()) return folder;
  if (char* real = ::realpath(folder.c_str(), nullptr)) {
    std::string r(real);
    std::free(real);
    return r == "/" ? std::string() : r;
  }
  std::string r = FromDriveRoot(folder);
  if (!r.empty() && r.back() == '/') r.pop_back();
  return r;
}

// The drive letters in the order a folder is looked up in: C: first, the
// floppy drives last.
constexpr char kDriveOrder[] = "CDEFGHIJKLMNOPQRSTUVWXYZAB";

}  // namespace

void TerminalFiles::Locate(const std::string& host_folder) {
  // The drive whose folder holds host_folder most closely (a drive without
  // a folder of its own is the whole file system).
  std::string best_folder;
  char best = 0;
  for (const char* d = kDriveOrder; *d; ++d) {
    const std::string f = CanonicalFolder(DriveFolder(*d));
    const bool holds = f.empty() || host_folder == f ||
                       (host_folder.size() > f.size() && host_folder.compare(0, f.size(), f) == 0 &&
                        host_folder[f.size()] == '/');
    if (holds && (!best || f.size() > best_folder.size())) {
      best = *d;
      best_folder = f;
    }
  }
  if (!best) return;
  std::string folder = Utf8ToCp1252(host_folder.substr(std::min(best_folder.size(), host_folder.size())));
  for (auto& c : folder)
    if (c == '/') c = '\\';
  if (folder.empty()) folder.push_back('\\');
  current_drive_ = best;
  folders_[best - 'A'] = folder;
}

std::string TerminalFiles::MapPath(std::string_view name) {
  if (name.empty()) return std::string();
  // The runner's own names from its command line are paths of this system.
  for (const auto& host_name : host_names_)
    if (name == host_name) return MatchCase(Cp1252ToUtf8(name));
  // Windows terms: a drive (the current one when the name gives none), a
  // path from its root (a rooted name) or from its current folder; "." and
  // ".." are resolved there and ".." never leaves the drive's root.
  char drive = current_drive_;
  std::string_view rest = name;
  if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':') {
    drive = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    rest.remove_prefix(2);
  }
  std::string windows(rest);
  if (rest.empty() || (rest[0] != '\\' && rest[0] != '/')) windows = folders_[drive - 'A'] + "\\" + windows;
  const std::string from_root = FromDriveRoot(windows);
  std::string host = MatchCase(DriveFolder(drive) + Cp1252ToUtf8(from_root));
  // Remembered for a CHDIR to this path: its drive and folder in Windows terms.
  std::string folder = from_root;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  for (auto& c : folder)
    if (c == '/') c = '\\';
  last_mapped_ = {host, drive, folder};
  return host;
}

void TerminalFiles::PassHostName(std::string name) { host_names_.push_back(std::move(name)); }

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

namespace {

// The file a path names: a symbolic link is followed, so that a rewrite
// replaces the file it points at and keeps the link.
std::string LinkTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return path;
  std::string target(real);
  std::free(real);
  return target;
}

}  // namespace

int TerminalFiles::CreateWorkFile(const std::string& path, std::string& work_path,
                                  std::unique_ptr<HostFile>& file) {
  const std::string target = LinkTarget(path);
  const size_t slash = target.find_last_of('/');
  // A hidden name of this platform, in the folder of the file it replaces
  // (a rename works only within one file system).
  std::string name = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + ".vestil-XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return LastError(name);
  work_path = name;
  file = std::make_unique<PosixFile>(fd, FileAccess::kReadWrite);
  return 0;
}

int TerminalFiles::ReplaceByWorkFile(const std::string& work_path, const std::string& path) {
  const std::string target = LinkTarget(path);
  auto fail = [&](int code) {
    ::unlink(work_path.c_str());
    return code;
  };
  const int fd = ::open(work_path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return fail(LastError(work_path));
  // The new file takes the old one's permissions (a new file those of any
  // file the runner creates); a file that may not be written is not replaced.
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || ::access(target.c_str(), W_OK) != 0) {
      ::close(fd);
      return fail(win_error::kAccessDenied);
    }
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe is written to, never replaced by a file.
      const int out = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      int error = out < 0 ? LastError(target) : 0;
      char buffer[65536];
      for (ssize_t n; !error && (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 || ::write(out, buffer, static_cast<size_t>(n)) != n) error = WindowsErrorOf(errno, target);
      }
      if (out >= 0) ::close(out);
      ::close(fd);
      return fail(error);
    }
    // The old owner and group where the runner may give them (it may not
    // give a file away: it then stays the runner's).
    [[maybe_unused]] const int owned = ::fchown(fd, st.st_uid, st.st_gid);
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  const bool flushed = ::fsync(fd) == 0;
  const int flush_error = errno;
  ::close(fd);
  if (!flushed) return fail(WindowsErrorOf(flush_error, target));
  if (::rename(work_path.c_str(), target.c_str()) != 0) return fail(LastError(target));
  // The folder's entry reaches the disk too.
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
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
  if (::chdir(path.c_str()) != 0)
    return errno == ENOTDIR && !IsDirectory(path) ? win_error::kDirectoryName : LastError(path);
  // The current drive and its folder, as the name was given (Windows keeps
  // them so); a path that did not come from MapPath is located.
  if (path == last_mapped_.host) {
    current_drive_ = last_mapped_.drive;
    folders_[current_drive_ - 'A'] = last_mapped_.folder;
  } else {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) Locate(cwd);
  }
  return 0;
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
  if (drive <= 0 || drive > 26) return CurrentDirectory();
  return std::string(1, static_cast<char>('A' + drive - 1)) + ":" + folders_[drive - 1];
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
  return std::string(1, current_drive_) + ":" + folders_[current_drive_ - 'A'];
}

}  // namespace vestil
