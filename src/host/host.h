#pragma once
// The seam between the portable runtime and the operating system. The console
// runner (console_host.cpp) and the Windows build (win32_host.cpp) implement it;
// core code reaches the platform only through this interface.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestil {

// MessageBoxA styles and answers, as the Windows API numbers them.
namespace box {
constexpr unsigned kOk = 0x00;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
}  // namespace box

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
};

}  // namespace vestil
