#pragma once
// The host of the 32-bit Windows build: the ANSI Win32 API behind each
// interface of the host seam. Texts pass through unchanged as Windows-1252
// bytes. This header stays free of windows.h; window handles are kept as
// void*.
#include <string>
#include <vector>

#include "host/host.h"
#include "platform/win32/win32_icons.h"
#include "platform/win32/win32_bitmaps.h"
#include "platform/win32/win32_odbc.h"

namespace vestil {

// Files and folders (win32_files.cpp). Paths need no mapping.
class Win32Files : public FileSystem {
 public:
  std::string MapPath(std::string_view name) override { return std::string(name); }
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
};

// Clock and shell (win32_system.cpp).
class Win32System : public SystemServices {
 public:
  Win32System();
  const std::vector<std::string>& Arguments() override { return arguments_; }
  uint32_t AppendedProgramOffset() override;
  uint32_t MillisecondsSinceMidnightUtc() override;
  uint32_t TickCount() override;
  LocalTime Now() override;
  void Execute(std::string_view command_line) override;
  int32_t StartProgram(std::string_view command_line, int show) override;
  bool StartProgramAndWait(std::string_view command_line, int show) override;
  uintptr_t StartHelper(std::string_view command_line, int show) override;
  bool HelperRunning(uintptr_t helper) override;
  void EndHelper(uintptr_t helper, bool stop) override;
  void Help(std::string_view file, unsigned command, std::string_view keyword) override;
  std::string EnvironmentValue(std::string_view name) override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  uint32_t PlatformVersion() override;
  uint32_t WindowsVersion() override;
  int32_t InstanceHandle() override;

 private:
  std::vector<std::string> arguments_;
};

// Regional settings and the system's code-page conversion (win32_system.cpp).
class Win32Locale : public Locale {
 public:
  void NumberSeparators(std::string& decimal, std::string& thousands) override;
  std::string IntlSetting(std::string_view key, std::string_view default_value) override;
  bool ConvertAnsiToOem(std::string& text) override;
  bool ConvertOemToAnsi(std::string& text) override;
};

// The screen and the main window, one concern per file: the window's class,
// creation, DCs and end (win32_main_window.cpp), its procedure
// (win32_window_proc.cpp), the message pump (win32_pump.cpp), the text
// console painted from the runtime's operations (win32_console.cpp) and the
// screen's measures (win32_screen_measures.cpp). The window is created on
// first need; it reports its messages into the runtime's WindowEvents and
// keeps of the console only the cell to paint in.
class Win32Screen : public Screen, public WindowControl {
 public:
  Win32Screen();
  void ReportTo(WindowEvents* events) override { events_ = events; }

  bool OpenConsole() override { return EnsureMainWindow(); }
  void ShowText(std::string_view bytes, const std::vector<GridOp>& ops) override;
  LineRead ReadLine(std::string& line, size_t max_chars) override;
  void ShowCaret(int column, int row) override;
  void HideCaret() override;
  void SetTitle(std::string_view title) override;
  void PumpMessages() override;
  void EndProgram() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  int ColorBits() override;
  int32_t DesktopHandle() override;
  int32_t FocusHandle() override;
  WindowControl* Control() override { return this; }

  // The window statements (win32_window_control.cpp, win32_dde.cpp).
  // WINDOW's size, grown where the client area would not hold the grid.
  void MoveMainWindow() override;
  void StartPaintWindow(int32_t window) override;
  void EndPaintWindow() override;
  void SetScrollPosition(int32_t control, int32_t position) override;
  void SetScrollLimits(int32_t control, int32_t min, int32_t max) override;
  void LinkConnect(std::string_view application, std::string_view topic) override;
  void LinkSend(int32_t partner, std::string_view text) override;
  void LinkClose(int32_t partner) override;

  // The "DIALOG" class and the procedures of the dialog-style windows
  // (win32_dialog_class.cpp, win32_dialog_class.h).
  bool RegisterDialogClass();
  intptr_t DialogProcedure(void* window, unsigned message, uintptr_t wparam, intptr_t lparam, bool from_template);

  // The owner of boxes, dialogs and the clipboard: the main window once it
  // exists (an HWND), else none.
  void* MainWindow() const { return main_window_; }
  // TargetDC and ShadowDC (HDCs) while the window exists, else null.
  void* TargetDC() const { return target_dc_; }
  void* ShadowDC() const { return shadow_dc_; }

  // Creates the main window unless it exists; false before the runtime
  // was handed over (no WindowEvents) or when creation fails.
  bool EnsureMainWindow();
  // Printing (win32_printer.cpp): both output DCs are the printer's until
  // RestoreOutput; the window keeps repainting from its own shadow.
  void RedirectOutput(void* printer_dc);
  void RestoreOutput();

  // The window procedure's work (win32_window_proc.cpp); `window` is an HWND.
  intptr_t Procedure(void* window, unsigned message, uintptr_t wparam, intptr_t lparam);

 private:
  // WM_CREATE: the stock fonts measured and reported with the screen's size;
  // the cell the runtime answers is kept for painting.
  void CreateConsole(void* window);
  void HoldGrid();
  void DestroyTargets();
  void Paint(void* window);
  // The console's operations on the output targets (win32_console.cpp).
  void PaintOps(const std::vector<GridOp>& ops);
  // Ctrl+C / Ctrl+Break in the window: the next pump stops the script.
  void RequestBreak() { break_requested_ = true; }
  // Dialog-style procedures (win32_dialog_class.cpp): command rule B for the
  // procedure `main` (the main window with option 0x200) or a dialog window,
  // child rule B, and the scroll rule of scroll-bar controls.
  void DialogStyleCommand(void* window, bool main, uintptr_t wparam, intptr_t lparam);
  void DialogChildNotify(uintptr_t wparam, intptr_t lparam);
  void ScrollControl(uintptr_t wparam, intptr_t lparam);
  // The pump's dialog messages and the option rule (win32_pump.cpp): true
  // when the message was taken by IsDialogMessage; `msg` is a MSG, perhaps
  // turned into a command.
  bool PumpDialogMessage(void* msg);

  friend class Win32Events;
  WindowEvents* events_ = nullptr;  // the runtime's side, from the assembly on
  ConsoleCells cells_;              // the console's cell, from WM_CREATE
  bool has_focus_ = false;          // the caret shows only while the window has the focus
  void* caret_window_ = nullptr;    // the window the caret was created in, while shown
  void* main_window_ = nullptr;
  void* target_dc_ = nullptr;       // TargetDC: the window's own DC (CS_OWNDC)
  void* shadow_dc_ = nullptr;       // ShadowDC: the memory copy of the window
  void* shadow_bitmap_ = nullptr;   // ShadowBitmap, screen-sized
  void* shadow_old_bitmap_ = nullptr;
  int screen_width_ = 0, screen_height_ = 0;  // at the window's creation
  bool class_registered_ = false;
  bool break_requested_ = false;  // Ctrl+C or Ctrl+Break seen by the procedure
  bool stopped_by_break_ = false; // the script was stopped; the window stays open
  std::string caption_;           // CaptionBuffer
  bool dialog_main_ = false;      // the main window has the dialog-style procedure (0x200)
  void* dialog_window_ = nullptr; // the "DIALOG" or dialog window that last had a message
  void* paint_dc_ = nullptr;      // STARTPAINT of another window: its DC
  void* paint_window_ = nullptr;
  void* saved_target_dc_ = nullptr, *saved_shadow_dc_ = nullptr;  // SavedTargets
  void* print_dc_ = nullptr;      // printing: the printer's DC, and the targets it replaced
  void* print_saved_target_dc_ = nullptr, *print_saved_shadow_dc_ = nullptr;
  uintptr_t thread_timer_ = 0;    // the script timer set while there was no window
};

// The waits' sleep, the script timer and the window's handles
// (win32_events.cpp). The timer belongs to the main window when it exists;
// set before the window, it is a timer of the thread that the pump records.
class Win32Events : public Events {
 public:
  explicit Win32Events(Win32Screen& screen) : screen_(screen) {}
  InputEvent WaitForEvent(WaitFor wanted, bool timer_ends, bool poll) override;
  void SetTimer(uint32_t ms) override;
  void KillTimer() override;
  bool TimerTicked() override { return false; }
  int32_t MainWindowHandle() override;
  int32_t TargetDcHandle() override;
  int32_t ShadowDcHandle() override;
  int32_t ScriptFontHandle() override;
  WindowEdges MainWindowEdges() override;

 private:
  Win32Screen& screen_;
  void* timer_owner_ = nullptr;  // the window the timer was set on
};

// Drawing on the main window and its shadow copy (win32_canvas.cpp): the
// script's brush, pen and font, each selected into both DCs and deleted when
// replaced or at the end.
class Win32Canvas : public Canvas {
 public:
  explicit Win32Canvas(Win32Screen& screen) : screen_(screen) {}
  Win32Canvas(const Win32Canvas&) = delete;
  Win32Canvas& operator=(const Win32Canvas&) = delete;
  ~Win32Canvas() override;
  // The main window, or the window a STARTPAINT draws into.
  bool HasTarget() override { return screen_.MainWindow() != nullptr || screen_.TargetDC() != nullptr; }
  bool EnsureWindow() override { return screen_.EnsureMainWindow(); }
  void Draw(DrawTarget target, Figure figure, const int32_t* points, uint32_t color) override;
  void UseBrush(uint32_t style, uint32_t color, int32_t hatch) override;
  void UsePen(int32_t style, int32_t width, uint32_t color) override;
  void Clear(std::optional<uint32_t> color) override;
  void Invalidate() override;
  uint32_t GetPixel(int32_t x, int32_t y) override;
  void DrawString(DrawTarget target, int32_t x, int32_t y, std::string_view text) override;
  void DrawConsoleText(DrawTarget target, int32_t x, int32_t y, std::string_view text, int font_index,
                       int32_t cell_width, uint32_t foreground, uint32_t background) override;
  void UseFont(const FontRequest& font) override;
  void SetTextColors(uint32_t foreground, uint32_t background, bool transparent) override;
  std::vector<std::string> FontFamilies() override;
  // The script's font (an HFONT) for controls made while CONTROLFONT is on;
  // null before the first USEFONT.
  void* ScriptFont() const { return font_.object; }

 private:
  // A script object (HGDIOBJ) and the object it replaced in TargetDC.
  struct Selected {
    void* object = nullptr;
    void* before = nullptr;
  };
  void* Dc(DrawTarget target) const;
  void Replace(Selected& slot, void* object);

  Win32Screen& screen_;
  Selected brush_, pen_, font_;
};

// Message boxes and the standard dialogs, owned by the main window
// (win32_dialogs.cpp; the standard dialogs of scripts in
// win32_standard_dialogs.cpp).
class Win32Dialogs : public Dialogs {
 public:
  explicit Win32Dialogs(Win32Screen& screen) : screen_(screen) {}
  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override;
  void ShowPointer() override;
  bool ChooseProgramFile(std::string_view caption, std::string& path) override;
  bool ChooseDirectory(std::string_view title, std::string& path) override;
  // The standard dialogs from the runner's templates and comdlg32
  // (win32_standard_dialogs.cpp).
  bool RunInputDialog(std::string_view caption, std::string_view prompt, std::string& text) override;
  bool RunListDialog(std::string_view caption, int style, const std::vector<std::string>& items,
                     int32_t& selection, std::string& text) override;
  bool RunEditDialog(std::string_view caption, int style, std::string_view text,
                     std::vector<std::string>& lines) override;
  bool RunFileDialog(bool save, std::string_view caption, std::string_view filter,
                     std::string_view default_extension, std::string& name) override;
  std::vector<std::string> TopLevelWindowTitles() override;

 private:
  Win32Screen& screen_;
};

// Profile files and the clipboard (win32_profile.cpp).
class Win32Profile : public ProfileStore {
 public:
  Win32Profile(Win32Screen& screen, Win32Files& files) : screen_(screen), files_(files) {}
  std::string ReadProfileString(std::string_view file, std::string_view section,
                                std::string_view key) override;
  bool WriteProfileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view value) override;
  void ClearClipboard() override;
  void SetClipboardText(std::string_view text) override;
  std::string ClipboardText() override;

 private:
  Win32Screen& screen_;
  Win32Files& files_;
};

// The default beep, MCI command strings, the speaker, wave files and the
// MIDI mapper (win32_sound.cpp).
class Win32Sound : public Sound {
 public:
  void DefaultBeep() override;
  uint32_t MciCommand(std::string_view command, std::string& reply) override;
  void Tone(uint32_t frequency, uint32_t ms) override;
  void PlayWave(std::string_view file, uint32_t flags) override;
  unsigned MidiOutputDevices() override;
  bool MidiOpen() override;
  void MidiMessage(uint32_t message) override;
  void MidiClose() override;
  void Nap() override;

 private:
  void* midi_ = nullptr;  // the open HMIDIOUT
};

// Libraries through LoadLibrary and GetProcAddress (win32_libraries.cpp);
// stdcall on 32-bit Windows, the one convention of 64-bit Windows.
class Win32Libraries : public Libraries {
 public:
  void* Load(std::string_view name) override;
  void Free(void* module) override;
  void* Find(void* module, std::string_view function) override;
  int32_t Call(void* function, std::span<const intptr_t> args) override;
  int32_t ModuleNumber(void* module) override;
  std::string ShortPath(const std::string& path) override;
  bool Nap() override;
  void EndWait() override {}
};

// I/O ports, reachable on Windows 95, 98 and ME only (win32_system.cpp).
class Win32Ports : public Ports {
 public:
  uint32_t PortIn(uint16_t port, bool word) override;
  void PortOut(uint16_t port, uint16_t value, bool word) override;
};

// Serial ports through the communications API (win32_serial.cpp); a handle
// is the port's kernel handle.
class Win32SerialPorts : public SerialPorts {
 public:
  int32_t Open(std::string_view name, uint32_t in_queue, uint32_t out_queue) override;
  bool BuildState(std::string_view definition, CommState& state) override;
  bool GetState(int32_t handle, CommState& state) override;
  bool SetState(int32_t handle, const CommState& state) override;
  bool ClearError(int32_t handle, uint32_t& errors, uint32_t& waiting) override;
  bool Write(int32_t handle, std::string_view bytes, uint32_t& written) override;
  bool Read(int32_t handle, uint32_t count, std::string& bytes) override;
  bool Close(int32_t handle) override;
};

// The main window's menu bar and the script's pop-up menus
// (win32_menus.cpp); a menu is its HMENU as a handle number.
class Win32Menus : public Menus {
 public:
  explicit Win32Menus(Win32Screen& screen) : screen_(screen) {}
  int32_t WindowMenu() override;
  void SetWindowMenu(int32_t menu) override;
  int32_t LoadResourceMenu(int32_t module, std::string_view name) override;
  int32_t CreateMenu(bool popup) override;
  bool AppendItem(int32_t menu, int32_t id, std::string_view text) override;
  bool AppendPopup(int32_t menu, int32_t popup, std::string_view text) override;
  bool AppendSeparator(int32_t menu) override;
  bool InsertItem(int32_t menu, int32_t before, int32_t id, std::string_view text) override;
  void CheckItem(int32_t menu, int32_t id, bool checked) override;
  void EnableItem(int32_t menu, int32_t id, uint32_t state) override;
  void RemoveItem(int32_t menu, int32_t id) override;
  void DrawMenuBar() override;
  void ShowPopup(int32_t menu, int32_t x, int32_t y) override;

 private:
  Win32Screen& screen_;
};

// The window functions and statements (win32_window_functions.cpp) on
// windows by handle; the main window is the screen's.
class Win32WindowAccess : public WindowAccess {
 public:
  explicit Win32WindowAccess(Win32Screen& screen) : screen_(screen) {}
  int32_t ClientWidth(int32_t window) override;
  int32_t ClientHeight(int32_t window) override;
  std::string ResourceString(int32_t module, int32_t id) override;
  std::string FullPath(std::string_view file) override;
  std::string ShortPath(std::string_view path) override;
  int32_t Post(int32_t window, int32_t message, int32_t wparam, int32_t lparam) override;
  void SendKey(int32_t window, uint8_t virtual_key, bool shifted) override;
  int32_t ScrollPosition(int32_t control) override;
  int32_t IconCount(std::string_view file) override;
  int32_t FindTopWindow(std::string_view title) override;
  void Place(int32_t window, int32_t after, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void ShowMain(MainWindowShow how) override;
  void Enable(int32_t window, bool enable) override;
  void SetCaption(int32_t window, std::string_view text) override;
  void Check(int32_t window, bool checked) override;
  void RepaintMain() override;
  void LogOff() override;

 private:
  void KeyEvent(uint8_t virtual_key, bool release);
  Win32Screen& screen_;
  bool after_alt_ = false;  // the keys from an Alt up to the next other key carry scan byte 1
};

// Controls and the script's own windows (win32_controls.cpp): child windows
// of the system classes, the "LDIALOG" template and templates of modules with
// the dialog procedure, "DIALOG" windows, and messages sent by handle.
class Win32Controls : public Controls {
 public:
  Win32Controls(Win32Screen& screen, Win32Canvas& canvas) : screen_(screen), canvas_(canvas) {}
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

 private:
  Win32Screen& screen_;
  Win32Canvas& canvas_;
  bool common_controls_ = false;  // the library was loaded and initialised
};

// The default printer from the profile, print jobs and hard copies
// (win32_printer.cpp). One device at a time: the script's job or a hard
// copy; Close ends whatever is open.
class Win32Printer : public Printer {
 public:
  Win32Printer(Win32Screen& screen, Win32Canvas& canvas) : screen_(screen), canvas_(canvas) {}
  Win32Printer(const Win32Printer&) = delete;
  Win32Printer& operator=(const Win32Printer&) = delete;
  ~Win32Printer() override { Close(); }
  std::string DeviceEntry() override;
  bool Open(const PrinterDevice& device, int32_t& dpi_x, int32_t& dpi_y) override;
  bool StartDocument(std::string_view name, const PageSetup& page) override;
  void NextPage(const PageSetup& page) override;
  void RedirectOutput() override;
  void Close() override;
  void ShowPrintingCursor(bool on) override;
  bool CaptureTarget(int32_t width, int32_t height) override;
  bool WindowSize(int32_t window, int32_t& width, int32_t& height) override;
  bool CaptureWindow(int32_t window) override;
  bool PrintCapture(int32_t x, int32_t y, int32_t width, int32_t height) override;

 private:
  bool MakeWorkBitmap(void* like_dc, int32_t width, int32_t height);
  Win32Screen& screen_;
  Win32Canvas& canvas_;
  void* dc_ = nullptr;            // the printer's HDC
  bool in_document_ = false;      // between StartDoc and EndDoc
  bool redirected_ = false;       // the output DCs are the printer's
  void* work_dc_ = nullptr, *work_bitmap_ = nullptr, *work_old_bitmap_ = nullptr;  // the hard copy's picture
  void* cursor_before_ = nullptr; // the cursor the printing cursor replaced
  bool cursor_shown_ = false;
};

// Every interface gathered in one Host (win32_host.cpp).
class Win32Host {
 public:
  Win32Host();
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;
  const Host& host() const { return host_; }
  Win32Screen& screen() { return screen_; }
  Win32Canvas& canvas() { return canvas_; }

 private:
  Win32Files files_;
  Win32System system_;
  Win32Locale locale_;
  Win32Screen screen_;
  Win32Dialogs dialogs_{screen_};
  Win32Profile profile_{screen_, files_};
  Win32Sound sound_;
  Win32Ports ports_;
  Win32SerialPorts serial_;
  Win32Libraries libraries_;
  Win32Events events_{screen_};
  Win32Odbc odbc_;
  Win32Canvas canvas_{screen_};
  Win32Menus menus_{screen_};
  Win32WindowAccess windows_{screen_};
  Win32Icons icons_{screen_};
  Win32Controls controls_{screen_, canvas_};
  Win32Printer printer_{screen_, canvas_};
  Win32Bitmaps bitmaps_{screen_};
  Host host_;
};

}  // namespace vestil
