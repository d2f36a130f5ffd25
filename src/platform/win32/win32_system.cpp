// Clock and shell, regional settings and ports of the Windows build.
#include "platform/win32/win32_util.h"

#include <mmsystem.h>
#include <stdlib.h>

#include "base/bytes.h"
#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

// The full path of the running executable.
std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// Windows 95, 98 and ME let programs reach I/O ports; the NT line raises a
// privileged-instruction fault instead, so there ports read 0 and writes do
// nothing.
bool PortsAllowed() { return (GetVersion() & 0x80000000u) != 0; }

}  // namespace

Win32System::Win32System() {
  // Parameter 0 is the full path of the executable, whatever the command line
  // called it: the loader opens it to read an appended program.
  arguments_.push_back(ModulePath());
  for (int i = 1; i < __argc; ++i) arguments_.emplace_back(__argv[i]);
}

uint32_t Win32System::AppendedProgramOffset() {
  // The executable keeps the offset of an appended program as a 32-bit
  // little-endian value at file offset 0x80, before its PE header.
  HANDLE file = CreateFileA(ModulePath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  unsigned char bytes[4] = {0, 0, 0, 0};
  DWORD got = 0;
  bool ok = SetFilePointer(file, 0x80, nullptr, FILE_BEGIN) == 0x80 &&
            ReadFile(file, bytes, sizeof bytes, &got, nullptr) && got == sizeof bytes;
  CloseHandle(file);
  if (!ok) return 0;
  return ReadLe32(bytes);
}

uint32_t Win32System::MillisecondsSinceMidnightUtc() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return ((static_cast<uint32_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 +
         t.wMilliseconds;
}

uint32_t Win32System::TickCount() { return GetTickCount(); }

LocalTime Win32System::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalTime lt;
  lt.year = t.wYear;
  lt.month = t.wMonth;
  lt.day = t.wDay;
  lt.hour = t.wHour;
  lt.minute = t.wMinute;
  lt.second = t.wSecond;
  lt.millisecond = t.wMilliseconds;
  return lt;
}

void Win32System::Execute(std::string_view command_line) {
  std::string cmd(command_line);
  WinExec(cmd.c_str(), SW_SHOWNORMAL);
}

int32_t Win32System::StartProgram(std::string_view command_line, int show) {
  std::string cmd(command_line);
  return static_cast<int32_t>(WinExec(cmd.c_str(), static_cast<UINT>(show)));
}

namespace {

// Starts a command line with the given show state; false when it does not start.
bool Launch(std::string_view command_line, int show, PROCESS_INFORMATION& pi) {
  std::string cmd(command_line);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  pi = PROCESS_INFORMATION{};
  return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
}

}  // namespace

bool Win32System::StartProgramAndWait(std::string_view command_line, int show) {
  PROCESS_INFORMATION pi;
  if (!Launch(command_line, show, pi)) return false;
  // Waits for the program's main thread without pumping window messages.
  WaitForSingleObject(pi.hThread, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

uintptr_t Win32System::StartHelper(std::string_view command_line, int show) {
  PROCESS_INFORMATION pi;
  if (!Launch(command_line, show, pi)) return 0;
  CloseHandle(pi.hThread);
  return reinterpret_cast<uintptr_t>(pi.hProcess);
}

bool Win32System::HelperRunning(uintptr_t helper) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(helper), 0) == WAIT_TIMEOUT;
}

void Win32System::EndHelper(uintptr_t helper, bool stop) {
  HANDLE process = reinterpret_cast<HANDLE>(helper);
  if (stop && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
  }
  CloseHandle(process);
}

void Win32System::Help(std::string_view file, unsigned command, std::string_view keyword) {
  std::string f(file), k(keyword);
  ULONG_PTR data = 0;
  if (command == HELP_PARTIALKEY) data = reinterpret_cast<ULONG_PTR>(k.c_str());
  WinHelpA(nullptr, f.c_str(), command, data);
}

std::string Win32System::EnvironmentValue(std::string_view name) {
  std::string n(name);
  std::string value(256, '\0');
  for (;;) {
    DWORD got = GetEnvironmentVariableA(n.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (got < value.size()) {
      value.resize(got);
      return value;
    }
    value.resize(got);  // the size it needs, its NUL included
  }
}

std::string Win32System::WindowsDirectory() {
  return Directory([](char* buf, UINT size) { return GetWindowsDirectoryA(buf, size); });
}

std::string Win32System::SystemDirectory() {
  return Directory([](char* buf, UINT size) { return GetSystemDirectoryA(buf, size); });
}

// GetVersion: the low word holds the Windows version (major in the low byte),
// the high word the platform's (major in the high byte). Both system
// variables take their half of the same value.
uint32_t Win32System::PlatformVersion() { return GetVersion(); }

uint32_t Win32System::WindowsVersion() { return GetVersion(); }

int32_t Win32System::InstanceHandle() { return HandleNumber(GetModuleHandleA(nullptr)); }

void Win32Locale::NumberSeparators(std::string& decimal, std::string& thousands) {
  char buf[8] = {0};
  decimal = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) > 1 ? std::string(1, buf[0]) : ".";
  buf[0] = 0;
  // An empty thousands separator writes none.
  thousands = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof buf) > 1 ? std::string(1, buf[0])
                                                                                            : std::string();
}

std::string Win32Locale::IntlSetting(std::string_view key, std::string_view default_value) {
  std::string k(key), d(default_value);
  char buf[256] = {0};
  DWORD n = GetProfileStringA("intl", k.c_str(), d.c_str(), buf, sizeof buf);
  return std::string(buf, n);
}

bool Win32Locale::ConvertAnsiToOem(std::string& text) {
  std::string out(text.size() + 1, '\0');
  CharToOemA(text.c_str(), out.data());
  text.assign(out.c_str());
  return true;
}

bool Win32Locale::ConvertOemToAnsi(std::string& text) {
  std::string out(text.size() + 1, '\0');
  OemToCharA(text.c_str(), out.data());
  text.assign(out.c_str());
  return true;
}

uint32_t Win32Ports::PortIn(uint16_t port, bool word) {
  if (!PortsAllowed()) return 0;
#if defined(__i386__)
  if (word) {
    uint16_t v;
    __asm__ __volatile__("inw %1, %0" : "=a"(v) : "Nd"(port));
    return v;
  }
  uint8_t v;
  __asm__ __volatile__("inb %1, %0" : "=a"(v) : "Nd"(port));
  return v;
#else
  (void)port, (void)word;
  return 0;
#endif
}

void Win32Ports::PortOut(uint16_t port, uint16_t value, bool word) {
  if (!PortsAllowed()) return;
#if defined(__i386__)
  if (word) {
    __asm__ __volatile__("outw %0, %1" : : "a"(value), "Nd"(port));
  } else {
    uint8_t b = static_cast<uint8_t>(value);
    __asm__ __volatile__("outb %0, %1" : : "a"(b), "Nd"(port));
  }
#else
  (void)port, (void)value, (void)word;
#endif
}

}  // namespace vestil
