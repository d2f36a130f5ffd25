#pragma once
// The seam between the portable runtime and the operating system. The console
// runner (console_host.cpp) and the Windows build (win32_host.cpp) implement it;
// core code reaches the platform only through this interface.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vestil {

// A directory entry found by Host::FindFiles, with its Windows attributes.
struct FoundFile {
  std::string name;
  uint32_t attributes = 0;
};
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;

// MessageBoxA styles and answers, as the Windows API numbers them.
namespace box {
constexpr unsigned kOk = 0x00;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
}  // namespace box

// A local date and time as the platform's clock gives it.
struct LocalTime {
  int year = 1900, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// --- files ------------------------------------------------------------------
// File operations report 0 or a Windows error code (2 file not found, 3 path
// not found, 5 access denied, ...). Paths are the platform's, after MapPath.
namespace fs_error {
constexpr int kNotSupported = 50;
}

// An open file of the host: byte-addressed reads, writes and positions.
class HostFile {
 public:
  virtual ~HostFile() = default;
  virtual int Read(void* buffer, size_t count, size_t& done) = 0;
  virtual int Write(const void* buffer, size_t count, size_t& done) = 0;
  virtual int Seek(int64_t position) = 0;  // from the start of the file
  virtual int Position(int64_t& position) = 0;
  virtual int Size(int64_t& size) = 0;
};

// The access of a file handle that OpenHostFile opens.
enum class FileAccess { kRead = 0, kWrite = 1, kReadWrite = 2 };

class Host {
 public:
  virtual ~Host() = default;

  // --- start-up -----------------------------------------------------------
  // Command-line parameters; element 0 is the runtime's own path.
  virtual const std::vector<std::string>& Arguments() = 0;
  // The AppendedProgramOffset of the running executable (0: none appended).
  virtual uint32_t AppendedProgramOffset() = 0;
  // The open-file dialog for choosing a program; false when cancelled.
  virtual bool ChooseProgramFile(std::string_view caption, std::string& path) = 0;
  // Turns a script's file name into a path the platform can open.
  virtual std::string MapPath(std::string_view name) { return std::string(name); }

  // --- boxes ----------------------------------------------------------------
  // A message box (texts in Windows-1252); returns the chosen button id.
  virtual int MessageBox(std::string_view caption, std::string_view text, unsigned style) = 0;
  // Makes the mouse pointer visible before an error box.
  virtual void ShowPointer() {}

  // --- console text -----------------------------------------------------------
  virtual bool HasConsole() const = 0;
  // Writes console bytes (Windows-1252); a line feed starts a new line.
  virtual void WriteText(std::string_view bytes) = 0;
  // Reads one typed line without its line end; false at the end of input.
  virtual bool ReadLine(std::string& line, size_t max_chars) = 0;
  // Moves the text cursor (0-based column and row).
  virtual void Locate(int column, int row) = 0;

  // --- events and system ----------------------------------------------------
  virtual void PumpMessages() {}
  virtual void Execute(std::string_view command_line) = 0;
  virtual void Help(std::string_view file, unsigned command, std::string_view keyword) = 0;
  virtual void DefaultBeep() = 0;
  virtual uint32_t MillisecondsSinceMidnightUtc() = 0;
  virtual uint32_t TickCount() = 0;
  // The end of the program: release the window and what the platform holds.
  virtual void EndProgram() {}

  // --- regional settings, clock, code pages and ports -------------------------
  // The decimal and thousands separators of the user's number format.
  virtual void NumberSeparators(std::string& decimal, std::string& thousands) {
    decimal.assign(1, '.');
    thousands.assign(1, ',');
  }
  // An entry of the section [intl] of the Windows profile (sDate,
  // sShortDate, ...); default_value when it is not set.
  virtual std::string IntlSetting(std::string_view /*key*/, std::string_view default_value) {
    return std::string(default_value);
  }
  // The local date and time; this default knows only the UTC clock.
  virtual LocalTime Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto today = floor<days>(now);
    const year_month_day ymd{today};
    const hh_mm_ss<milliseconds> t{duration_cast<milliseconds>(now - today)};
    LocalTime lt;
    lt.year = static_cast<int>(ymd.year());
    lt.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    lt.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    lt.hour = static_cast<int>(t.hours().count());
    lt.minute = static_cast<int>(t.minutes().count());
    lt.second = static_cast<int>(t.seconds().count());
    lt.millisecond = static_cast<int>(t.subseconds().count());
    return lt;
  }
  // The platform's ANSI <-> OEM code-page conversion of a text in place;
  // false when the platform has none (the runtime then uses code page 850).
  virtual bool ConvertAnsiToOem(std::string& /*text*/) { return false; }
  virtual bool ConvertOemToAnsi(std::string& /*text*/) { return false; }
  // Hardware I/O ports (a byte, or a 16-bit word): where user programs may not
  // reach them, reads give 0 and writes do nothing.
  virtual uint32_t PortIn(uint16_t /*port*/, bool /*word*/) { return 0; }
  virtual void PortOut(uint16_t /*port*/, uint16_t /*value*/, bool /*word*/) {}

  // --- system queries -------------------------------------------------------
  virtual std::string CurrentDirectory() = 0;  // in the script's (Windows) form
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual uint32_t PlatformVersion() = 0;
  virtual uint32_t WindowsVersion() = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual int ColorBits() = 0;
  virtual int32_t DesktopHandle() { return 0; }
  virtual int32_t InstanceHandle() { return 0; }
  virtual int32_t FocusHandle() { return 0; }

  // --- programs, environment, multimedia --------------------------------------
  // WinExec: starts a program and returns at once; above 31 when it started,
  // else an error code (2: not found).
  virtual int32_t StartProgram(std::string_view /*command_line*/, int /*show*/) { return 2; }
  // Starts a program and waits until it has ended; false when it did not start.
  virtual bool StartProgramAndWait(std::string_view /*command_line*/, int /*show*/) { return false; }
  // A variable of the process environment; empty when it does not exist.
  virtual std::string EnvironmentValue(std::string_view /*name*/) { return std::string(); }
  // mciSendString: the code (0 success) and the reply, or the error text.
  virtual uint32_t MciCommand(std::string_view /*command*/, std::string& reply) {
    reply = "MCI ist nicht verf\xfcgbar.";
    return kMciNotAvailable;
  }
  static constexpr uint32_t kMciNotAvailable = 263;  // MCIERR_INVALID_DEVICE_NAME
  // The entries matching a pattern (a path whose last part may hold * and ?),
  // directories, hidden and system entries included, in the platform's order.
  virtual std::vector<FoundFile> FindFiles(std::string_view /*pattern*/) { return {}; }

  // --- profile files and clipboard --------------------------------------------
  // GetPrivateProfileString; file is a mapped path. Empty when absent.
  virtual std::string ReadProfileString(std::string_view /*file*/, std::string_view /*section*/,
                                        std::string_view /*key*/) {
    return std::string();
  }
  // WritePrivateProfileString; false when the file could not be written.
  virtual bool WriteProfileString(std::string_view /*file*/, std::string_view /*section*/,
                                  std::string_view /*key*/, std::string_view /*value*/) {
    return false;
  }
  virtual void ClearClipboard() {}
  // Puts a text on the clipboard, beside what is there in other formats.
  virtual void SetClipboardText(std::string_view /*text*/) {}
  // The clipboard's text; empty when it holds none.
  virtual std::string ClipboardText() { return std::string(); }

  // --- files and folders (results: 0 or a Windows error code, see fs_error) ---
  // Opens an existing file, or with `create` creates (or truncates) it.
  virtual int OpenHostFile(const std::string& path, FileAccess access, bool create,
                           std::unique_ptr<HostFile>& file) {
    (void)path, (void)access, (void)create, (void)file;
    return fs_error::kNotSupported;
  }
  virtual int EraseFile(const std::string& path) { return (void)path, fs_error::kNotSupported; }
  // Fails when `to` exists (183), as MoveFile does.
  virtual int RenameFile(const std::string& from, const std::string& to) {
    return (void)from, (void)to, fs_error::kNotSupported;
  }
  // True when both paths name one existing file.
  virtual bool SameFile(const std::string& a, const std::string& b) { return (void)a, (void)b, false; }
  virtual int GetAttributes(const std::string& path, uint32_t& attributes) {
    return (void)path, (void)attributes, fs_error::kNotSupported;
  }
  virtual int SetAttributes(const std::string& path, uint32_t attributes) {
    return (void)path, (void)attributes, fs_error::kNotSupported;
  }
  // The local date of the last write of a file or folder.
  virtual int FileDate(const std::string& path, int& year, int& month, int& day) {
    return (void)path, (void)year, (void)month, (void)day, fs_error::kNotSupported;
  }
  virtual int ChangeDirectory(const std::string& path) { return (void)path, fs_error::kNotSupported; }
  virtual int MakeDirectory(const std::string& path) { return (void)path, fs_error::kNotSupported; }
  virtual int DeleteDirectory(const std::string& path) { return (void)path, fs_error::kNotSupported; }
  // Drive numbers: 0 the current drive, 1 A:, 2 B:, ... False for an invalid drive.
  virtual bool DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) {
    return (void)drive, (void)free_bytes, (void)total_bytes, false;
  }
  // The current directory of a drive, in the script's (Windows) form.
  virtual std::string DriveDirectory(int drive) { return (void)drive, CurrentDirectory(); }
  // Lets the user pick a folder (the main window owns the browser); false
  // when cancelled.
  virtual bool ChooseDirectory(std::string_view title, std::string& path) {
    return (void)title, (void)path, false;
  }
};

}  // namespace vestil
