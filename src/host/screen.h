#pragma once
// Screen and window: the script's text console, the message pump, the end of
// the program's window and what the screen measures.
//
// The console runs one way: the runtime keeps the console's cells and hands
// the screen each write as its bytes and as the operations that paint it
// (host/console.h). A stream of text (the console runner) writes the bytes; a
// window paints the operations. What a window reports back goes into the
// WindowEvents the runtime hands it (host/window_events.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/console.h"
#include "host/window_control.h"
#include "host/window_events.h"

namespace vestil {

// The result of reading a typed line. kByKeys: the screen reads no lines
// itself; its keys reach the event record and the runtime edits the line.
enum class LineRead { kLine, kEndOfInput, kNoConsole, kByKeys };

class Screen {
 public:
  virtual ~Screen() = default;
  // Where the window reports its messages from now on (at the assembly). A
  // screen without windows has nothing to report.
  virtual void ReportTo(WindowEvents*) {}

  // Makes the text console ready (a window is created on first need); false
  // when this screen has none.
  virtual bool OpenConsole() = 0;
  // One console write: `bytes` as written (Windows-1252; a line feed starts
  // a new line) and `ops`, what it changed in the console's cells. A stream
  // writes the bytes, a window paints the ops (and runs its messages).
  virtual void ShowText(std::string_view bytes, const std::vector<GridOp>& ops) = 0;
  // Reads one typed line without its line end, at most max_chars kept.
  virtual LineRead ReadLine(std::string& line, size_t max_chars) = 0;
  // LOCATE: the text cursor moved to this cell (0-based). A window shows
  // the runtime's cursor only as the caret of a line read.
  virtual void MoveCursor(int /*column*/, int /*row*/) {}
  // The caret of a line read key by key, at the cursor's cell while the
  // window has the focus; HideCaret takes it away.
  virtual void ShowCaret(int /*column*/, int /*row*/) {}
  virtual void HideCaret() {}

  // WINDOWTITLE: the caption of the script window, now and at its creation.
  // A screen without a window has no caption to set.
  virtual void SetTitle(std::string_view) {}

  virtual void PumpMessages() = 0;
  // The end of the program: release the window and what the platform holds.
  virtual void EndProgram() = 0;

  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual int ColorBits() = 0;
  virtual int32_t DesktopHandle() = 0;
  virtual int32_t FocusHandle() = 0;

  // The platform window's operations for the window statements; none on a
  // screen without windows.
  virtual WindowControl* Control() { return nullptr; }
};

}  // namespace vestil
