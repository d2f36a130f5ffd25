#pragma once
// The console runner's host: console text on stdout and stdin, message boxes
// as one line on stderr, Windows paths mapped onto the local file system.
// One class per concern of the host seam, each in its own file; TerminalHost
// owns them all.
#include <map>
#include <string>
#include <vector>

#include "host/host.h"

namespace vestil {

// Files and folders (terminal_files.cpp): POSIX calls, Windows error codes.
class TerminalFiles : public FileSystem {
 public:
  TerminalFiles();
  std::string MapPath(std::string_view name) override;
  int OpenHostFile(const std::string& path, FileAccess access, bool create,
                   std::unique_ptr<HostFile>& file) override;
  int EraseFile(const std::string& path) override;
  int RenameFile(const std::string& from, const std::string& to) override;
  int ResizeFile(const std::string& path, int64_t length) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  int GetAttributes(const std::string& path, uint32_t& attributes) override;
  int SetAttributes(const std::string& path, uint32_t attributes) override;
  int FileDate(const std::string& path, int& year, int& month, int& day) override;
  int ChangeDirectory(const std::string& path) override;
  int MakeDirectory(const std::string& path) override;
  int DeleteDirectory(const std::string& path) override;
  bool DiskSpace(int drive, int64_t& free_bytes, int64_t& total_bytes) override;
  std::string CurrentDirectory() override;
  std::string DriveDirectory(int drive) override;
  std::vector<FoundFile> FindFiles(std::string_view pattern) override;
  // The folder that drive letter stands for: VESTIL_DRIVE_<letter> (a relative
  // folder counts from the directory the runner started in), else the root
  // of the file system, given as "" ("C:\\X" maps to "/X").
  std::string DriveFolder(char letter) const;

 private:
  std::string start_directory_;  // a relative VESTIL_DRIVE_<letter> starts here
};

// Clock and shell (terminal_system.cpp).
class TerminalSystem : public SystemServices {
 public:
  // args: the process's command line (UTF-8); args[0] is replaced by the
  // path of the running executable.
  explicit TerminalSystem(std::vector<std::string> args);
  const std::vector<std::string>& Arguments() override { return args_; }
  uint32_t AppendedProgramOffset() override;
  uint32_t MillisecondsSinceMidnightUtc() override;
  uint32_t TickCount() override;
  // The local time, or the fixed time of VESTIL_NOW ("YYYY-MM-DD HH:MM:SS.mmm").
  LocalTime Now() override;
  void Execute(std::string_view command_line) override;
  int32_t StartProgram(std::string_view command_line, int show) override;
  bool StartProgramAndWait(std::string_view command_line, int show) override;
  void Help(std::string_view, unsigned, std::string_view) override {}
  std::string EnvironmentValue(std::string_view name) override;
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM32"; }
  uint32_t PlatformVersion() override { return 0x0A280105; }
  uint32_t WindowsVersion() override { return 0x0A280105; }
  int32_t InstanceHandle() override { return 0; }

 private:
  std::vector<std::string> args_;  // Windows-1252
};

// Regional settings from the environment (terminal_locale.cpp):
// VESTIL_NUMBER_FORMAT ("de" or "en") or else the locale of LC_ALL, LC_NUMERIC
// or LANG (de_* writes German separators); [intl] entries from
// VESTIL_INTL_<KEY> (VESTIL_INTL_SDATE, VESTIL_INTL_SSHORTDATE). No code-page
// service of its own: the runtime converts by code page 850.
class TerminalLocale : public Locale {
 public:
  void NumberSeparators(std::string& decimal, std::string& thousands) override;
  std::string IntlSetting(std::string_view key, std::string_view default_value) override;
  bool ConvertAnsiToOem(std::string&) override { return false; }
  bool ConvertOemToAnsi(std::string&) override { return false; }
};

// Console text on stdout and stdin (terminal_screen.cpp).
class TerminalScreen : public Screen {
 public:
  TerminalScreen();
  bool WriteText(std::string_view bytes) override;
  LineRead ReadLine(std::string& line, size_t max_chars) override;
  bool Locate(int column, int row) override;
  void PumpMessages() override {}
  void EndProgram() override;
  int ScreenWidth() override { return 1024; }
  int ScreenHeight() override { return 768; }
  int ColorBits() override { return 24; }
  int32_t DesktopHandle() override { return 0; }
  int32_t FocusHandle() override { return 0; }

 private:
  bool stdin_is_tty_ = false;
  bool stdout_is_tty_ = false;
};

// No window to draw on (terminal_canvas.cpp): drawing and fonts do nothing,
// pixels read as none; CLS clears the screen when standard output is a
// terminal.
class TerminalCanvas : public Canvas {
 public:
  TerminalCanvas();
  bool HasTarget() override { return false; }
  bool EnsureWindow() override { return false; }
  void Draw(DrawTarget, Figure, const int32_t*, uint32_t) override {}
  void UseBrush(uint32_t, uint32_t, int32_t) override {}
  void UsePen(int32_t, int32_t, uint32_t) override {}
  void Clear(std::optional<uint32_t> color) override;
  void Invalidate() override {}
  uint32_t GetPixel(int32_t, int32_t) override { return 0xffffffff; }
  void DrawString(DrawTarget, int32_t, int32_t, std::string_view) override {}
  void DrawConsoleText(DrawTarget, int32_t, int32_t, std::string_view, int, uint32_t, uint32_t) override {}
  void UseFont(const FontRequest&) override {}
  void SetTextColors(uint32_t, uint32_t, bool) override {}
  std::vector<std::string> FontFamilies() override { return {}; }

 private:
  bool stdout_is_tty_ = false;
};

// Boxes on stderr and questions on the console (terminal_dialogs.cpp).
class TerminalDialogs : public Dialogs {
 public:
  explicit TerminalDialogs(TerminalScreen& screen);
  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override;
  void ShowPointer() override {}
  bool ChooseProgramFile(std::string_view caption, std::string& path) override;
  bool ChooseDirectory(std::string_view title, std::string& path) override;

 private:
  int NextAnswer(unsigned style);

  TerminalScreen& screen_;
  std::vector<std::string> answers_;
  size_t next_answer_ = 0;
};

// Profile files through our own INI engine, and a clipboard that lasts for
// the run (terminal_profile.cpp).
class TerminalProfile : public ProfileStore {
 public:
  std::string ReadProfileString(std::string_view file, std::string_view section,
                                std::string_view key) override;
  bool WriteProfileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view value) override;
  void ClearClipboard() override { clipboard_.clear(); }
  void SetClipboardText(std::string_view text) override { clipboard_.assign(text); }
  std::string ClipboardText() override { return clipboard_; }

 private:
  std::string clipboard_;
};

// The terminal bell; no multimedia (terminal_sound.cpp).
class TerminalSound : public Sound {
 public:
  TerminalSound();
  void DefaultBeep() override;
  uint32_t MciCommand(std::string_view command, std::string& reply) override;

 private:
  bool stderr_is_tty_ = false;
};

// No hardware ports: reads give 0, writes do nothing.
class TerminalPorts : public Ports {
 public:
  uint32_t PortIn(uint16_t, bool) override { return 0; }
  void PortOut(uint16_t, uint16_t, bool) override {}
};

// Serial ports over termios (terminal_serial.cpp). COMn is the device named by
// VESTIL_COMn, else /dev/ttyS(n-1); a handle is the descriptor of a port
// opened here, other numbers name no port. Opened ports are raw, take no
// controlling terminal and are exclusive.
class TerminalSerialPorts : public SerialPorts {
 public:
  TerminalSerialPorts() = default;
  TerminalSerialPorts(const TerminalSerialPorts&) = delete;
  TerminalSerialPorts& operator=(const TerminalSerialPorts&) = delete;
  ~TerminalSerialPorts() override;
  int32_t Open(std::string_view name, uint32_t in_queue, uint32_t out_queue) override;
  bool BuildState(std::string_view definition, CommState& state) override;
  bool GetState(int32_t handle, CommState& state) override;
  bool SetState(int32_t handle, const CommState& state) override;
  bool ClearError(int32_t handle, uint32_t& errors, uint32_t& waiting) override;
  bool Write(int32_t handle, std::string_view bytes, uint32_t& written) override;
  bool Read(int32_t handle, uint32_t count, std::string& bytes) override;
  bool Close(int32_t handle) override;
  // The device a port name stands for; "" when the name is no COMn (n 1..255,
  // "\\.\" before it and ":" after it allowed).
  static std::string DevicePath(std::string_view name);

 private:
  struct Port {
    CommState state;  // what termios cannot hold (the flag word, the limits) lives here
    uint64_t device = 0;  // st_rdev (or st_ino of a device that is no character device)
    uint32_t counts[5] = {};  // the driver's error counters when last cleared
  };
  std::map<int32_t, Port> ports_;
};

class TerminalHost {
 public:
  explicit TerminalHost(std::vector<std::string> args);
  TerminalHost(const TerminalHost&) = delete;
  TerminalHost& operator=(const TerminalHost&) = delete;
  const Host& host() const { return host_; }

 private:
  TerminalFiles files_;
  TerminalSystem system_;
  TerminalLocale locale_;
  TerminalScreen screen_;
  TerminalDialogs dialogs_{screen_};
  TerminalProfile profile_;
  TerminalSound sound_;
  TerminalPorts ports_;
  TerminalSerialPorts serial_;
  TerminalCanvas canvas_;
  Host host_;
};

// Splits a command line the way Windows programs split theirs: blanks separate,
// double quotes group.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The Windows error code of a failed POSIX call on path (terminal_files.cpp).
int WindowsErrorOf(int error_number, const std::string& path);

}  // namespace vestil
