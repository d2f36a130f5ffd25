#pragma once
// The host of the 32-bit Windows build. This header stays free of windows.h;
// window handles are kept as void*.
#include <string>
#include <vector>

#include "host/host.h"

namespace vestil {

class Win32Host : public Host {
 public:
  Win32Host();

  const std::vector<std::string>& Arguments() override;
  uint32_t AppendedProgramOffset() override;
  bool ChooseProgramFile(std::string_view caption, std::string& path) override;

  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override;
  void ShowPointer() override;

  bool HasConsole() const override;
  void WriteText(std::string_view bytes) override;
  bool ReadLine(std::string& line, size_t max_chars) override;
  void Locate(int column, int row) override;

  void PumpMessages() override;
  void Execute(std::string_view command_line) override;
  void Help(std::string_view file, unsigned command, std::string_view keyword) override;
  void DefaultBeep() override;
  uint32_t MillisecondsSinceMidnightUtc() override;
  uint32_t TickCount() override;
  void EndProgram() override;

  void NumberSeparators(std::string& decimal, std::string& thousands) override;
  std::string IntlSetting(std::string_view key, std::string_view default_value) override;
  LocalTime Now() override;
  bool ConvertAnsiToOem(std::string& text) override;
  bool ConvertOemToAnsi(std::string& text) override;
  uint32_t PortIn(uint16_t port, bool word) override;
  void PortOut(uint16_t port, uint16_t value, bool word) override;

  std::string CurrentDirectory() override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  uint32_t PlatformVersion() override;
  uint32_t WindowsVersion() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  int ColorBits() override;
  int32_t DesktopHandle() override;
  int32_t InstanceHandle() override;
  int32_t FocusHandle() override;

  int32_t StartProgram(std::string_view command_line, int show) override;
  bool StartProgramAndWait(std::string_view command_line, int show) override;
  std::string EnvironmentValue(std::string_view name) override;
  uint32_t MciCommand(std::string_view command, std::string& reply) override;
  std::vector<FoundFile> FindFiles(std::string_view pattern) override;

  std::string ReadProfileString(std::string_view file, std::string_view section,
                                std::string_view key) override;
  bool WriteProfileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view value) override;
  void ClearClipboard() override;
  void SetClipboardText(std::string_view text) override;
  std::string ClipboardText() override;

  // Files and folders (win32_files.cpp).
  int OpenHostFile(const std::string& path, FileAccess access, bool create,
                   std::unique_ptr<HostFile>& file) override;
  int EraseFile(const std::string& path) override;
  int RenameFile(const std::string& from, const std::string& to) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  int GetAttributes(const std::string& path, uint32_t& attributes) override;
  int SetAttributes(const std::string& path, uint32_t attributes) override;
  int FileDate(const std::string& path, int& year, int& month, int& day) override;
  int ChangeDirectory(const std::string& path) override;
  int MakeDirectory(const std::string& path) override;
  int DeleteDirectory(const std::string& path) override;
  bool DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) override;
  std::string DriveDirectory(int drive) override;
  bool ChooseDirectory(std::string_view title, std::string& path) override;

  // The owner of message boxes: the main window once it exists (an HWND).
  void SetOwnerWindow(void* window) { owner_ = window; }

 private:
  std::vector<std::string> arguments_;
  void* owner_ = nullptr;
};

}  // namespace vestil
