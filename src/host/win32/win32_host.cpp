// The host of the 32-bit Windows build: the ANSI Win32 API behind the Host
// interface. Texts pass through unchanged as Windows-1252 bytes.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <stdlib.h>
// windows.h maps MessageBox to MessageBoxA; Host has a method of that name.
#undef MessageBox

#include "host/win32/win32_host.h"

#include <cstdio>
#include <cstring>

#include "base/bytes.h"

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

HWND Window(void* handle) { return static_cast<HWND>(handle); }

// Handles travel through scripts as 32-bit numbers.
int32_t HandleNumber(const void* handle) {
  return static_cast<int32_t>(reinterpret_cast<uintptr_t>(handle));
}

// A directory from one of the Get...DirectoryA functions.
template <typename Getter>
std::string Directory(Getter get) {
  char buf[MAX_PATH + 1] = {0};
  UINT n = get(buf, static_cast<UINT>(sizeof buf));
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

}  // namespace

Win32Host::Win32Host() {
  // Parameter 0 is the full path of the executable, whatever the command line
  // called it: the loader opens it to read an appended program.
  arguments_.push_back(ModulePath());
  for (int i = 1; i < __argc; ++i) arguments_.emplace_back(__argv[i]);
}

const std::vector<std::string>& Win32Host::Arguments() { return arguments_; }

uint32_t Win32Host::AppendedProgramOffset() {
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

bool Win32Host::ChooseProgramFile(std::string_view caption, std::string& path) {
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

int Win32Host::MessageBox(std::string_view caption, std::string_view text, unsigned style) {
  std::string c(caption), t(text);
  return ::MessageBoxA(Window(owner_), t.c_str(), c.c_str(), style);
}

void Win32Host::ShowPointer() {
  while (ShowCursor(TRUE) < 0) {
  }
}

bool Win32Host::HasConsole() const { return false; }

// The console of the Windows build lives in the main window, which does not
// exist yet; the runtime reports PRINT and INPUT as not implemented there.
void Win32Host::WriteText(std::string_view) {}
bool Win32Host::ReadLine(std::string&, size_t) { return false; }
void Win32Host::Locate(int, int) {}

void Win32Host::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Win32Host::Execute(std::string_view command_line) {
  std::string cmd(command_line);
  WinExec(cmd.c_str(), SW_SHOWNORMAL);
}

void Win32Host::Help(std::string_view file, unsigned command, std::string_view keyword) {
  std::string f(file), k(keyword);
  ULONG_PTR data = 0;
  if (command == HELP_PARTIALKEY) data = reinterpret_cast<ULONG_PTR>(k.c_str());
  WinHelpA(nullptr, f.c_str(), command, data);
}

void Win32Host::DefaultBeep() { MessageBeep(0); }

uint32_t Win32Host::MillisecondsSinceMidnightUtc() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return ((static_cast<uint32_t>(t.wHour) * 60 + t.wMinute) * 60 + t.wSecond) * 1000 +
         t.wMilliseconds;
}

uint32_t Win32Host::TickCount() { return GetTickCount(); }

void Win32Host::EndProgram() {}

void Win32Host::NumberSeparators(std::string& decimal, std::string& thousands) {
  char buf[8] = {0};
  decimal = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) > 1 ? std::string(1, buf[0]) : ".";
  buf[0] = 0;
  // An empty thousands separator writes none.
  thousands = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof buf) > 1 ? std::string(1, buf[0])
                                                                                            : std::string();
}

std::string Win32Host::IntlSetting(std::string_view key, std::string_view default_value) {
  std::string k(key), d(default_value);
  char buf[256] = {0};
  DWORD n = GetProfileStringA("intl", k.c_str(), d.c_str(), buf, sizeof buf);
  return std::string(buf, n);
}

LocalTime Win32Host::Now() {
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

bool Win32Host::ConvertAnsiToOem(std::string& text) {
  std::string out(text.size() + 1, '\0');
  CharToOemA(text.c_str(), out.data());
  text.assign(out.c_str());
  return true;
}

bool Win32Host::ConvertOemToAnsi(std::string& text) {
  std::string out(text.size() + 1, '\0');
  OemToCharA(text.c_str(), out.data());
  text.assign(out.c_str());
  return true;
}

namespace {

// Windows 95, 98 and ME let programs reach I/O ports; the NT line raises a
// privileged-instruction fault instead, so there ports read 0 and writes do
// nothing.
bool PortsAllowed() { return (GetVersion() & 0x80000000u) != 0; }

}  // namespace

uint32_t Win32Host::PortIn(uint16_t port, bool word) {
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

void Win32Host::PortOut(uint16_t port, uint16_t value, bool word) {
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

std::string Win32Host::CurrentDirectory() {
  return Directory([](char* buf, UINT size) { return static_cast<UINT>(GetCurrentDirectoryA(size, buf)); });
}

std::string Win32Host::WindowsDirectory() {
  return Directory([](char* buf, UINT size) { return GetWindowsDirectoryA(buf, size); });
}

std::string Win32Host::SystemDirectory() {
  return Directory([](char* buf, UINT size) { return GetSystemDirectoryA(buf, size); });
}

// GetVersion: the low word holds the Windows version (major in the low byte),
// the high word the platform's (major in the high byte). Both system
// variables take their half of the same value.
uint32_t Win32Host::PlatformVersion() { return GetVersion(); }
uint32_t Win32Host::WindowsVersion() { return GetVersion(); }

int Win32Host::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int Win32Host::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int Win32Host::ColorBits() {
  HDC screen = GetDC(nullptr);
  int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return bits;
}

int32_t Win32Host::DesktopHandle() { return HandleNumber(GetDesktopWindow()); }
int32_t Win32Host::InstanceHandle() { return HandleNumber(GetModuleHandleA(nullptr)); }
int32_t Win32Host::FocusHandle() { return HandleNumber(GetFocus()); }

int32_t Win32Host::StartProgram(std::string_view command_line, int show) {
  std::string cmd(command_line);
  return static_cast<int32_t>(WinExec(cmd.c_str(), static_cast<UINT>(show)));
}

bool Win32Host::StartProgramAndWait(std::string_view command_line, int show) {
  std::string cmd(command_line);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  // Waits for the program's main thread without pumping window messages.
  WaitForSingleObject(pi.hThread, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

std::string Win32Host::EnvironmentValue(std::string_view name) {
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

uint32_t Win32Host::MciCommand(std::string_view command, std::string& reply) {
  std::string cmd(command);
  char buf[256] = {0};
  MCIERROR code = mciSendStringA(cmd.c_str(), buf, 255, nullptr);
  if (code != 0) {
    buf[0] = '\0';
    mciGetErrorStringA(code, buf, 255);
  }
  reply = buf;
  return static_cast<uint32_t>(code);
}

std::vector<FoundFile> Win32Host::FindFiles(std::string_view pattern) {
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

std::string Win32Host::ReadProfileString(std::string_view file, std::string_view section,
                                         std::string_view key) {
  std::string f(file), s(section), k(key);
  char buf[256] = {0};
  DWORD n = GetPrivateProfileStringA(s.c_str(), k.c_str(), "", buf, 255, f.c_str());
  return std::string(buf, n);
}

bool Win32Host::WriteProfileString(std::string_view file, std::string_view section,
                                   std::string_view key, std::string_view value) {
  std::string f(file), s(section), k(key), v(value);
  return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), f.c_str()) != 0;
}

void Win32Host::ClearClipboard() {
  if (!OpenClipboard(Window(owner_))) return;
  EmptyClipboard();
  CloseClipboard();
}

void Win32Host::SetClipboardText(std::string_view text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, text.size() + 1);
  if (!block) return;
  if (void* p = GlobalLock(block)) {
    std::memcpy(p, text.data(), text.size());
    GlobalUnlock(block);
  }
  // The clipboard owns the block once SetClipboardData has taken it.
  bool taken = false;
  if (OpenClipboard(Window(owner_))) {
    taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
  }
  if (!taken) GlobalFree(block);
}

std::string Win32Host::ClipboardText() {
  std::string text;
  if (!OpenClipboard(Window(owner_))) return text;
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
