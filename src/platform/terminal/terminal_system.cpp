// Clock and shell of the console runner: the command line, the clock,
// programs started without a shell, the environment.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/bytes.h"
#include "base/cp1252.h"
#include "base/windows_errors.h"
#include "platform/terminal/terminal_host.h"

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

TerminalSystem::TerminalSystem(std::vector<std::string> args) {
  if (args.empty()) args.emplace_back();
  args[0] = ExecutablePath(args[0]);
  for (auto& a : args) args_.push_back(Utf8ToCp1252(a));
}

uint32_t TerminalSystem::AppendedProgramOffset() {
  const volatile unsigned char* p = vestil_append_slot + 22;
  const unsigned char bytes[4] = {p[0], p[1], p[2], p[3]};
  return ReadLe32(bytes);
}

void TerminalSystem::Execute(std::string_view command_line) {
  std::vector<std::string> parts = SplitCommandLine(Cp1252ToUtf8(command_line));
  if (parts.empty()) return;
  std::vector<char*> argv;
  for (auto& p : parts) argv.push_back(p.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  pid_t pid;
  posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
}

int32_t TerminalSystem::StartProgram(std::string_view command_line, int) {
  pid_t pid;
  int error = 0;
  if (Spawn(command_line, pid, error)) return 33;
  // The codes WinExec gives for a program that did not start.
  switch (error) {
    case ENOENT: case ENOTDIR: return win_error::kFileNotFound;
    case EACCES: case EPERM: return win_error::kAccessDenied;
    case ENOEXEC: return win_error::kBadFormat;
    default: return 0;
  }
}

bool TerminalSystem::StartProgramAndWait(std::string_view command_line, int) {
  pid_t pid;
  int error = 0;
  if (!Spawn(command_line, pid, error)) return false;
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

uintptr_t TerminalSystem::StartHelper(std::string_view command_line, int) {
  pid_t pid;
  int error = 0;
  return Spawn(command_line, pid, error) ? static_cast<uintptr_t>(pid) : 0;
}

bool TerminalSystem::HelperRunning(uintptr_t helper) {
  int status;
  pid_t r;
  do {
    r = waitpid(static_cast<pid_t>(helper), &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == 0) return true;
  // Ended (and reaped now) or no child of the runner any more.
  reaped_.push_back(helper);
  return false;
}

void TerminalSystem::EndHelper(uintptr_t helper, bool stop) {
  auto it = std::find(reaped_.begin(), reaped_.end(), helper);
  if (it != reaped_.end()) {
    reaped_.erase(it);
  } else if (stop) {
    const pid_t pid = static_cast<pid_t>(helper);
    kill(pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  } else {
    running_.push_back(helper);
  }
  // Helpers let go earlier that have ended since.
  std::erase_if(running_, [](uintptr_t h) {
    int status;
    return waitpid(static_cast<pid_t>(h), &status, WNOHANG) != 0;
  });
}

std::string TerminalSystem::EnvironmentValue(std::string_view name) {
  const char* v = std::getenv(Cp1252ToUtf8(name).c_str());
  return v ? Utf8ToCp1252(v) : std::string();
}

uint32_t TerminalSystem::MillisecondsSinceMidnightUtc() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<uint32_t>((ts.tv_sec % 86400) * 1000 + ts.tv_nsec / 1000000);
}

uint32_t TerminalSystem::TickCount() {
  timespec ts;
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<uint32_t>(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

LocalTime TerminalSystem::Now() {
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

}  // namespace vestil
