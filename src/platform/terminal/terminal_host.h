#pragma once
// The console runner's host: console text on stdout and stdin, message boxes
// as one line on stderr, Windows paths mapped onto the local file system.
// One class per concern of the host seam, each in its own file; TerminalHost
// owns them all.
#include <signal.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "platform/terminal/terminal_bitmaps.h"

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
  int CreateWorkFile(const std::string& path, std::string& work_path, std::unique_ptr<HostFile>& file) override;
  int ReplaceByWorkFile(const std::string& work_path, const std::string& path) override;
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
  // A name that MapPath passes as it is: the runner's own paths from its
  // command line (Windows-1252).
  void PassHostName(std::string name);

 private:
  // Makes the drive that holds a folder of this system (an absolute path)
  // the current one, with that folder as its current folder.
  void Locate(const std::string& host_folder);

  std::string start_directory_;  // a relative VESTIL_DRIVE_<letter> starts here
  // The current drive and each drive's current folder in Windows terms
  // ("\\" or "\\DATEN\\ALT", Windows-1252), as Windows keeps them.
  char current_drive_ = 'C';
  std::array<std::string, 26> folders_;
  struct Mapped {
    std::string host;
    char drive = 'C';
    std::string folder;
  };
  Mapped last_mapped_;  // the last path MapPath gave, for CHDIR
  std::vector<std::string> host_names_;
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
  uintptr_t StartHelper(std::string_view command_line, int show) override;
  bool HelperRunning(uintptr_t helper) override;
  void EndHelper(uintptr_t helper, bool stop) override;
  void Help(std::string_view, unsigned, std::string_view) override {}
  std::string EnvironmentValue(std::string_view name) override;
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM32"; }
  uint32_t PlatformVersion() override { return 0x0A280105; }
  uint32_t WindowsVersion() override { return 0x0A280105; }
  int32_t InstanceHandle() override { return 0; }

 private:
  std::vector<std::string> args_;  // Windows-1252
  std::vector<uintptr_t> reaped_;   // helpers that have ended and were reaped
  std::vector<uintptr_t> running_;  // helpers let go while they ran: reaped later
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

// Standard input, read in blocks (terminal_screen.cpp) by the console's lines
// and the waits' keys alike, so that neither takes bytes meant for the other.
class StandardInput {
 public:
  static constexpr int kEnd = -1, kTimedOut = -2;
  // The next byte; kTimedOut when none came within timeout_ms (negative: no
  // limit), kEnd at the input's end.
  int Byte(int timeout_ms);
  // One typed line without its line end, converted from UTF-8 as the
  // console shows it: a backspace takes back the character before it, other
  // control characters are dropped, at most max_chars are kept and the rest
  // of the line is read and discarded as it comes, so memory stays bounded
  // whatever the line's length. False when the input ended before any byte.
  bool Line(std::string& line, size_t max_chars);

 private:
  static constexpr size_t kBlock = 4096;
  char buffer_[kBlock];
  size_t pos_ = 0, end_ = 0;
};

// Console text on stdout and stdin (terminal_screen.cpp): a stream, which
// writes the bytes of each console write and leaves the cells' operations to
// windows.
class TerminalScreen : public Screen {
 public:
  explicit TerminalScreen(StandardInput& input);
  bool OpenConsole() override { return true; }
  void ShowText(std::string_view bytes, const std::vector<GridOp>&) override { WriteText(bytes); }
  // The bytes on standard output (the console's text and the prompts of the
  // terminal's dialogs).
  virtual bool WriteText(std::string_view bytes);
  LineRead ReadLine(std::string& line, size_t max_chars) override;
  void MoveCursor(int column, int row) override;
  void PumpMessages() override {}
  void EndProgram() override;
  int ScreenWidth() override { return 1024; }
  int ScreenHeight() override { return 768; }
  int ColorBits() override { return 24; }
  int32_t DesktopHandle() override { return 0; }
  int32_t FocusHandle() override { return 0; }

 private:
  StandardInput& input_;
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
  void DrawConsoleText(DrawTarget, int32_t, int32_t, std::string_view, int, int32_t, uint32_t, uint32_t) override {}
  void UseFont(const FontRequest&) override {}
  void SetTextColors(uint32_t, uint32_t, bool) override {}
  std::vector<std::string> FontFamilies() override { return {}; }

 private:
  bool stdout_is_tty_ = false;
};

// Menus that no window shows (terminal_menus.cpp): kept only so that the
// statements fail where they fail on Windows (appending to a menu that was
// shown and destroyed, inserting before an item that does not exist).
class TerminalMenus : public Menus {
 public:
  int32_t WindowMenu() override { return bar_; }
  void SetWindowMenu(int32_t menu) override { bar_ = menu; }
  int32_t LoadResourceMenu(int32_t, std::string_view) override { return 0; }
  int32_t CreateMenu(bool popup) override;
  bool AppendItem(int32_t menu, int32_t id, std::string_view text) override;
  bool AppendPopup(int32_t menu, int32_t popup, std::string_view text) override;
  bool AppendSeparator(int32_t menu) override;
  bool InsertItem(int32_t menu, int32_t before, int32_t id, std::string_view text) override;
  void CheckItem(int32_t, int32_t, bool) override {}
  void EnableItem(int32_t, int32_t, uint32_t) override {}
  void RemoveItem(int32_t menu, int32_t id) override;
  void DrawMenuBar() override {}
  void ShowPopup(int32_t menu, int32_t x, int32_t y) override;

 private:
  struct Item {
    int32_t id = 0;     // command identifier, 0 for a separator
    int32_t popup = 0;  // the drop-down or submenu of a pop-up item
  };
  std::vector<Item>* Find(int32_t menu);
  bool Remove(int32_t menu, int32_t id);
  void Destroy(int32_t menu);
  std::map<int32_t, std::vector<Item>> menus_;
  int32_t next_handle_ = 0x1000;
  int32_t bar_ = 0;
};

// Boxes on stderr and questions on the console (terminal_dialogs.cpp).
class TerminalDialogs : public Dialogs {
 public:
  explicit TerminalDialogs(TerminalScreen& screen);
  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override;
  void ShowPointer() override {}
  bool ChooseProgramFile(std::string_view caption, std::string& path) override;
  bool ChooseDirectory(std::string_view title, std::string& path) override;
  // The standard dialogs as questions on the console
  // (terminal_standard_dialogs.cpp).
  bool RunInputDialog(std::string_view caption, std::string_view prompt, std::string& text) override;
  bool RunListDialog(std::string_view caption, int style, const std::vector<std::string>& items,
                     int32_t& selection, std::string& text) override;
  bool RunEditDialog(std::string_view caption, int style, std::string_view text,
                     std::vector<std::string>& lines) override;
  bool RunFileDialog(bool save, std::string_view caption, std::string_view filter,
                     std::string_view default_extension, std::string& name) override;
  std::vector<std::string> TopLevelWindowTitles() override { return {}; }

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
  explicit TerminalProfile(TerminalFiles& files) : files_(files) {}
  std::string ReadProfileString(std::string_view file, std::string_view section,
                                std::string_view key) override;
  bool WriteProfileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view value) override;
  void ClearClipboard() override { clipboard_.clear(); }
  void SetClipboardText(std::string_view text) override { clipboard_.assign(text); }
  std::string ClipboardText() override { return clipboard_; }

 private:
  TerminalFiles& files_;
  std::string clipboard_;
};

// The terminal bell; no multimedia: no speaker tone, no wave player, no
// MIDI output (terminal_sound.cpp).
class TerminalSound : public Sound {
 public:
  TerminalSound();
  void DefaultBeep() override;
  uint32_t MciCommand(std::string_view command, std::string& reply) override;
  void Tone(uint32_t, uint32_t) override {}
  void PlayWave(std::string_view, uint32_t) override {}
  unsigned MidiOutputDevices() override { return 0; }
  bool MidiOpen() override { return false; }
  void MidiMessage(uint32_t) override {}
  void MidiClose() override {}
  void Nap() override;

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

// Shared libraries through dlopen (terminal_libraries.cpp): a name with a
// folder is a script path (mapped as files are), a bare name is searched as
// dlopen searches. Functions are called in the C convention with
// pointer-sized arguments.
class TerminalLibraries : public Libraries {
 public:
  explicit TerminalLibraries(TerminalFiles& files) : files_(files) {}
  void* Load(std::string_view name) override;
  void Free(void* module) override;
  void* Find(void* module, std::string_view function) override;
  int32_t Call(void* function, std::span<const intptr_t> args) override;
  int32_t ModuleNumber(void* module) override;
  std::string ShortPath(const std::string& path) override;
  bool Nap() override;
  void EndWait() override;

 private:
  TerminalFiles& files_;
  bool catching_ = false;        // Ctrl+C is caught for a wait
  struct sigaction before_ {};  // its handling before the wait
};

// The waits' console side (terminal_events.cpp): keys are read from standard
// input only while a wait sleeps, one at a time (a terminal is switched to
// single keys without echo for that), a click is a line of input; the
// script timer runs on the monotonic clock.
class TerminalEvents : public Events {
 public:
  explicit TerminalEvents(StandardInput& input);
  InputEvent WaitForEvent(WaitFor wanted, bool timer_ends, bool poll) override;
  void SetTimer(uint32_t ms) override;
  void KillTimer() override { timer_set_ = false; }
  bool TimerTicked() override;
  int32_t MainWindowHandle() override { return 0; }
  int32_t TargetDcHandle() override { return 0; }
  int32_t ShadowDcHandle() override { return 0; }
  int32_t ScriptFontHandle() override { return 0; }
  WindowEdges MainWindowEdges() override { return {}; }

 private:
  int NextByte(int timeout_ms);
  InputEvent ReadKey();
  InputEvent ReadClick();
  StandardInput& input_;

  bool stdin_is_tty_ = false;
  bool input_ended_ = false;
  bool after_cr_ = false;  // a line feed right after a carriage return is part of it
  int pending_ = -1;       // a byte read ahead and not yet taken
  bool timer_set_ = false;
  int64_t interval_ms_ = 0;
  int64_t next_due_ms_ = 0;  // on the monotonic clock
};

// The ODBC driver manager (terminal_odbc.cpp): libodbc.so.2, or the library
// named by VESTIL_ODBC_LIBRARY, opened with dlopen on the first connect and
// kept until the process ends. Texts cross to the drivers in UTF-8.
class TerminalOdbc : public OdbcDriverManager {
 public:
  bool Load() override;
  void Unload() override;
  odbc::Return AllocEnv(odbc::Handle* env) override;
  odbc::Return AllocConnect(odbc::Handle env, odbc::Handle* dbc) override;
  odbc::Return DriverConnect(odbc::Handle dbc, const char* in, int16_t in_length, char* out, int16_t out_max,
                             int16_t* out_length, uint16_t completion) override;
  odbc::Return AllocStmt(odbc::Handle dbc, odbc::Handle* stmt) override;
  odbc::Return ExecDirect(odbc::Handle stmt, const char* sql, int32_t length) override;
  odbc::Return NumResultCols(odbc::Handle stmt, int16_t* count) override;
  odbc::Return DescribeCol(odbc::Handle stmt, uint16_t column, char* name, int16_t name_max, int16_t* name_length,
                           int16_t* type, odbc::ULen* size, int16_t* scale, int16_t* nullable) override;
  odbc::Return BindCol(odbc::Handle stmt, uint16_t column, int16_t c_type, void* buffer, odbc::Len buffer_length,
                       odbc::Len* indicator) override;
  odbc::Return Fetch(odbc::Handle stmt) override;
  odbc::Return RowCount(odbc::Handle stmt, odbc::Len* rows) override;
  odbc::Return Error(odbc::Handle env, odbc::Handle dbc, odbc::Handle stmt, char* state, int32_t* native,
                     char* message, int16_t message_max, int16_t* message_length) override;
  odbc::Return Transact(odbc::Handle env, odbc::Handle dbc, uint16_t completion) override;
  odbc::Return FreeStmt(odbc::Handle stmt, uint16_t option) override;
  odbc::Return Disconnect(odbc::Handle dbc) override;
  odbc::Return FreeConnect(odbc::Handle dbc) override;
  odbc::Return FreeEnv(odbc::Handle env) override;

 private:
  using H = odbc::Handle;
  using R = odbc::Return;
  template <typename F>
  static bool Resolve(void* library, const char* name, F& entry);

  // A column bound as text: the runtime's buffer and indicator, and the
  // buffer the driver fills.
  struct Binding {
    char* buffer;
    size_t length;
    odbc::Len* indicator;
    std::vector<char> wide;
    odbc::Len wide_indicator;
  };
  std::map<odbc::Handle, std::map<uint16_t, Binding>> bindings_;
  void* library_ = nullptr;
  R (*row_count_)(H, odbc::Len*) = nullptr;
  R (*alloc_env_)(H*) = nullptr;
  R (*error_)(H, H, H, char*, int32_t*, char*, int16_t, int16_t*) = nullptr;
  R (*describe_col_)(H, uint16_t, char*, int16_t, int16_t*, int16_t*, odbc::ULen*, int16_t*, int16_t*) = nullptr;
  R (*bind_col_)(H, uint16_t, int16_t, void*, odbc::Len, odbc::Len*) = nullptr;
  R (*free_env_)(H) = nullptr;
  R (*alloc_connect_)(H, H*) = nullptr;
  R (*alloc_stmt_)(H, H*) = nullptr;
  R (*free_connect_)(H) = nullptr;
  R (*exec_direct_)(H, const char*, int32_t) = nullptr;
  R (*fetch_)(H) = nullptr;
  R (*disconnect_)(H) = nullptr;
  R (*transact_)(H, H, uint16_t) = nullptr;
  R (*free_stmt_)(H, uint16_t) = nullptr;
  R (*num_result_cols_)(H, int16_t*) = nullptr;
  R (*driver_connect_)(H, void*, const char*, int16_t, char*, int16_t, int16_t*, uint16_t) = nullptr;
};

// The window functions of a runner without windows
// (terminal_window_functions.cpp): path names work on the local file system;
// every window query gives 0 or an empty text, every window action does
// nothing.
class TerminalWindowAccess : public WindowAccess {
 public:
  int32_t ClientWidth(int32_t) override { return 0; }
  int32_t ClientHeight(int32_t) override { return 0; }
  std::string ResourceString(int32_t, int32_t) override { return std::string(); }
  std::string FullPath(std::string_view file) override;
  std::string ShortPath(std::string_view path) override;
  int32_t Post(int32_t, int32_t, int32_t, int32_t) override { return 0; }
  void SendKey(int32_t, uint8_t, bool) override {}
  int32_t ScrollPosition(int32_t) override { return 0; }
  int32_t IconCount(std::string_view) override { return 0; }
  int32_t FindTopWindow(std::string_view) override { return 0; }
  void Place(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
  void ShowMain(MainWindowShow) override {}
  void Enable(int32_t, bool) override {}
  void SetCaption(int32_t, std::string_view) override {}
  void Check(int32_t, bool) override {}
  void RepaintMain() override {}
  void LogOff() override {}
};

// Icons and cursors of a runner without windows (terminal_icons.cpp):
// nothing is drawn or shown, but a program fails where it fails in the
// Windows build: an icon the runner does not have, a file that does not
// exist. A module's resources are not looked at.
class TerminalIcons : public Icons {
 public:
  bool DrawIcon(const IconSource& icon, int32_t x, int32_t y) override;
  bool SetWindowIcon(const ImageName& name) override;
  void SetSystemCursor(uint16_t) override {}
  void SetResourceCursor(std::optional<int32_t>, const ImageName&) override {}
  void ShowMousePointer(bool) override {}
};

// Controls in a runner without windows (terminal_controls.cpp): nothing can
// be made, so every creation gives the handle 0, and every call on a handle
// answers as the window system answers for an invalid one: 0, false or the
// empty text.
class TerminalControls : public Controls {
 public:
  int32_t CreateControl(std::string_view class_name, uint32_t style, std::string_view text, int32_t parent,
                        const ControlPlace& place, int32_t id) override;
  void InitCommonControls() override;
  void UseScriptFont(int32_t window) override;
  void SetScrollRange(int32_t bar, int32_t min, int32_t max) override;
  int32_t CreateEmptyDialog(int32_t parent, std::string_view caption, const ControlPlace& place) override;
  int32_t LoadDialog(int32_t module, int32_t parent, std::string_view name) override;
  int32_t CreateScriptWindow(int32_t parent, std::string_view caption, uint32_t style,
                             const ControlPlace& place) override;
  int32_t Send(int32_t window, uint32_t message, int32_t wparam, int32_t lparam) override;
  int32_t SendText(int32_t window, uint32_t message, int32_t wparam, std::string_view text) override;
  std::string WindowText(int32_t window) override;
  std::string EditLine(int32_t window, int32_t line) override;
  std::string ListItem(int32_t window, int32_t index) override;
  int32_t DialogItem(int32_t dialog, int32_t id) override;
  int32_t ActiveWindow() override;
  int32_t Activate(int32_t window) override;
  int32_t Focus(int32_t window) override;
  bool Show(int32_t window, int32_t command) override;
  bool Destroy(int32_t window) override;
};

// No printer: the console runner has no page to draw on, so there is no
// default printer and STARTPRINT and the hard copies stop with message 235
// (terminal_printer.cpp).
class TerminalPrinter : public Printer {
 public:
  std::string DeviceEntry() override;
  bool Open(const PrinterDevice& device, int32_t& dpi_x, int32_t& dpi_y) override;
  bool StartDocument(std::string_view, const PageSetup&) override { return false; }
  void NextPage(const PageSetup&) override {}
  void RedirectOutput() override {}
  void Close() override {}
  void ShowPrintingCursor(bool) override {}
  bool CaptureTarget(int32_t, int32_t) override { return false; }
  bool WindowSize(int32_t window, int32_t& width, int32_t& height) override;
  bool CaptureWindow(int32_t) override { return false; }
  bool PrintCapture(int32_t, int32_t, int32_t, int32_t) override { return false; }
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
  StandardInput input_;
  TerminalScreen screen_{input_};
  TerminalDialogs dialogs_{screen_};
  TerminalProfile profile_{files_};
  TerminalSound sound_;
  TerminalPorts ports_;
  TerminalSerialPorts serial_;
  TerminalLibraries libraries_{files_};
  TerminalEvents events_{input_};
  TerminalOdbc odbc_;
  TerminalCanvas canvas_;
  TerminalMenus menus_;
  TerminalWindowAccess windows_;
  TerminalIcons icons_;
  TerminalControls controls_;
  TerminalPrinter printer_;
  TerminalBitmaps bitmaps_;
  Host host_;
};

// Splits a command line the way Windows programs split theirs: blanks separate,
// double quotes group.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The Windows error code of a failed POSIX call on path (terminal_files.cpp).
int WindowsErrorOf(int error_number, const std::string& path);

}  // namespace vestil
