#pragma once
// Screen and window: the script's text console, the message pump, the end of
// the program's window and what the screen measures.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/window_control.h"

namespace vestil {

// The result of reading a typed line.
enum class LineRead { kLine, kEndOfInput, kNoConsole };

class Screen {
 public:
  virtual ~Screen() = default;
  // Writes console bytes (Windows-1252); a line feed starts a new line. False
  // when this screen has no text console.
  virtual bool WriteText(std::string_view bytes) = 0;
  // Reads one typed line without its line end, at most max_chars kept.
  virtual LineRead ReadLine(std::string& line, size_t max_chars) = 0;
  // Moves the text cursor (0-based column and row); false without a console.
  virtual bool Locate(int column, int row) = 0;

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
