#include "host/terminal/terminal_host.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "data/profile.h"
#include "base/bytes.h"
#include "base/cp1252.h"
#include "base/whole_file.h"

extern char** environ;

// The appended-program slot of the native runner. An ELF file has no room at
// offset 0x80 (its headers are there), so the native runner carries this
// marker instead, followed by the 32-bit little-endian AppendedProgramOffset
// that the binder writes; 0 in a plain runner.
extern "C" {
__attribute__((used)) volatile unsigned char vestil_append_slot[26] = {
    '<', '<', 'V', 'E', 'S', 'T', 'I', 'L', '-', 'A', 'P', 'P', 'E',
    'N', 'D', '-', 'S', 'L', 'O', 'T', '>', '>', 0,   0,   0,   0};
}

namespace vestil {

namespace {

std::string ExecutablePath(const std::string& fallback) {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return fallback;
  return std::string(buf, static_cast<size_t>(n));
}

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

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '"') quoted = !quoted;
      else arg.push_back(line[i]);
      ++i;
    }
    out.push_back(arg);
  }
  return out;
}

TerminalHost::TerminalHost(std::vector<std::string> args) {
  if (args.empty()) args.emplace_back();
  args[0] = ExecutablePath(args[0]);
  for (auto& a : args) args_.push_back(Utf8ToCp1252(a));
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) start_directory_ = cwd;
  stdin_is_tty_ = isatty(0);
  stdout_is_tty_ = isatty(1);
  stderr_is_tty_ = isatty(2);
  if (const char* a = std::getenv("VESTRUN_ANSWERS")) {
    std::string s(a);
    size_t i = 0;
    while (i <= s.size()) {
      size_t j = s.find(',', i);
      if (j == std::string::npos) j = s.size();
      answers_.push_back(s.substr(i, j - i));
      i = j + 1;
    }
  }
}

uint32_t TerminalHost::AppendedProgramOffset() {
  const volatile unsigned char* p = vestil_append_slot + 22;
  const unsigned char bytes[4] = {p[0], p[1], p[2], p[3]};
  return ReadLe32(bytes);
}

bool TerminalHost::ChooseProgramFile(std::string_view, std::string&) {
  // There is no file dialog on a console: the choice is always cancelled.
  return false;
}

std::string TerminalHost::MapPath(std::string_view name) {
  std::string p = Cp1252ToUtf8(name);
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    // A drive letter: VESTIL_DRIVE_<letter> names the folder it stands for;
    // without it every drive is the root of the file system.
    char var[] = "VESTIL_DRIVE_X";
    var[13] = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
    std::string mapped = DriveFolder(var[13]);
    if (p.size() == 2 || (p[2] != '\\' && p[2] != '/')) mapped.push_back('/');
    mapped.append(p, 2, std::string::npos);
    p.swap(mapped);
  }
  for (auto& c : p)
    if (c == '\\') c = '/';
  return MatchCase(p);
}

int TerminalHost::NextAnswer(unsigned style) {
  const unsigned buttons = style & 0x0f;
  if (buttons == 0) return 1;  // OK only: nothing to choose
  if (next_answer_ < answers_.size()) {
    std::string a = answers_[next_answer_++];
    for (auto& c : a) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (a == "ok") return 1;
    if (a == "cancel") return 2;
    if (a == "abort") return 3;
    if (a == "retry") return 4;
    if (a == "ignore") return 5;
    if (a == "yes") return 6;
    if (a == "no") return 7;
  }
  // The default answer is the box's first button.
  switch (buttons) {
    case 2: return 3;           // abort, retry, ignore
    case 3: case 4: return 6;   // yes, no (, cancel)
    case 5: return 4;           // retry, cancel
    default: return 1;          // OK (, cancel)
  }
}

int TerminalHost::MessageBox(std::string_view caption, std::string_view text, unsigned style) {
  std::fflush(stdout);
  std::string body;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      body.push_back(' ');
    } else {
      body.push_back(text[i]);
    }
  }
  std::string line = Cp1252ToUtf8(caption) + " | " + Cp1252ToUtf8(body) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return NextAnswer(style);
}

void TerminalHost::WriteText(std::string_view bytes) {
  // The console ignores carriage returns; a line feed starts a new line.
  std::string kept;
  kept.reserve(bytes.size());
  for (char c : bytes)
    if (c != '\r') kept.push_back(c);
  std::string out = Cp1252ToUtf8(kept);
  std::fwrite(out.data(), 1, out.size(), stdout);
}

bool TerminalHost::ReadLine(std::string& line, size_t max_chars) {
  std::fflush(stdout);
  std::string raw;
  int c;
  bool any = false;
  while ((c = std::fgetc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    raw.push_back(static_cast<char>(c));
  }
  if (!any) return false;
  line.clear();
  for (char ch : Utf8ToCp1252(raw)) {
    uint8_t b = static_cast<uint8_t>(ch);
    if (b == 8) {
      if (!line.empty()) line.pop_back();
    } else if (b >= 32 && line.size() < max_chars) {
      line.push_back(ch);
    }
  }
  // A terminal has echoed the line and its Enter; input from a file or a pipe
  // is echoed here, so that the output reads as the console showed it.
  if (!stdin_is_tty_) WriteText(line + "\n");
  return true;
}

void TerminalHost::Locate(int column, int row) {
  if (stdout_is_tty_) std::printf("\x1b[%d;%dH", row + 1, column + 1);
}

void TerminalHost::Execute(std::string_view command_line) {
  std::vector<std::string> parts = SplitCommandLine(Cp1252ToUtf8(command_line));
  if (parts.empty()) return;
  std::vector<char*> argv;
  for (auto& p : parts) argv.push_back(p.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  pid_t pid;
  posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
}

namespace {

// Starts the program of a Windows-style command line; false with the error
// number when it could not start.
bool Spawn(std::string_view command_line, pid_t& pid, int& error) {
  std::vector<std::string> parts = SplitCommandLine(Cp1252ToUtf8(command_line));
  if (parts.empty()) {
    error = ENOENT;
    return false;
  }
  std::vector<char*> argv;
  for (auto& p : parts) argv.push_back(p.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  return error == 0;
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

int32_t TerminalHost::StartProgram(std::string_view command_line, int) {
  pid_t pid;
  int error = 0;
  if (Spawn(command_line, pid, error)) return 33;
  // The codes WinExec gives: 2 file not found, 5 access denied, 11 bad format.
  switch (error) {
    case ENOENT: case ENOTDIR: return 2;
    case EACCES: case EPERM: return 5;
    case ENOEXEC: return 11;
    default: return 0;
  }
}

bool TerminalHost::StartProgramAndWait(std::string_view command_line, int) {
  pid_t pid;
  int error = 0;
  if (!Spawn(command_line, pid, error)) return false;
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

std::string TerminalHost::EnvironmentValue(std::string_view name) {
  const char* v = std::getenv(Cp1252ToUtf8(name).c_str());
  return v ? Utf8ToCp1252(v) : std::string();
}

std::vector<FoundFile> TerminalHost::FindFiles(std::string_view pattern) {
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

std::string TerminalHost::ReadProfileString(std::string_view file, std::string_view section,
                                           std::string_view key) {
  std::string content, value;
  if (!ReadWholeFile(std::string(file), content)) return std::string();
  IniLookup(content, section, key, value);
  return value;
}

bool TerminalHost::WriteProfileString(std::string_view file, std::string_view section,
                                     std::string_view key, std::string_view value) {
  const std::string path(file);
  std::string content;
  ReadWholeFile(path, content);  // a missing file starts empty
  std::string updated = IniUpdate(content, section, key, value);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
  out.close();
  return static_cast<bool>(out);
}

void TerminalHost::DefaultBeep() {
  if (stderr_is_tty_) std::fputs("\a", stderr);
}

uint32_t TerminalHost::MillisecondsSinceMidnightUtc() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<uint32_t>((ts.tv_sec % 86400) * 1000 + ts.tv_nsec / 1000000);
}

uint32_t TerminalHost::TickCount() {
  timespec ts;
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

void TerminalHost::EndProgram() { std::fflush(stdout); }

void TerminalHost::NumberSeparators(std::string& decimal, std::string& thousands) {
  std::string style;
  if (const char* v = std::getenv("VESTIL_NUMBER_FORMAT"); v && *v) {
    style = v;
  } else {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
      const char* l = std::getenv(name);
      if (l && *l) {
        style = l;
        break;
      }
    }
  }
  const bool german = style.size() >= 2 && std::tolower(static_cast<unsigned char>(style[0])) == 'd' &&
                      std::tolower(static_cast<unsigned char>(style[1])) == 'e';
  decimal.assign(1, german ? ',' : '.');
  thousands.assign(1, german ? '.' : ',');
}

std::string TerminalHost::IntlSetting(std::string_view key, std::string_view default_value) {
  std::string name = "VESTIL_INTL_";
  for (char c : key) name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  const char* v = std::getenv(name.c_str());
  return v ? Utf8ToCp1252(v) : std::string(default_value);
}

LocalTime TerminalHost::Now() {
  LocalTime lt;
  if (const char* fixed = std::getenv("VESTIL_NOW"); fixed && *fixed) {
    std::sscanf(fixed, "%d-%d-%d%*c%d:%d:%d.%d", &lt.year, &lt.month, &lt.day, &lt.hour, &lt.minute, &lt.second,
                &lt.millisecond);
    return lt;
  }
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm tm;
  localtime_r(&ts.tv_sec, &tm);
  lt.year = tm.tm_year + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day = tm.tm_mday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  lt.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return lt;
}

std::string TerminalHost::CurrentDirectory() {
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return "C:\\";
  std::string p = std::string("C:") + buf;
  for (auto& c : p)
    if (c == '/') c = '\\';
  return Utf8ToCp1252(p);
}

}  // namespace vestil
