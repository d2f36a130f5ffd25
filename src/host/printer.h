#pragma once
// The default printer: print jobs of the script (STARTPRINT .. ENDPRINT) and
// one-page hard copies of the window (SCREENCOPY, WINCOPY). The statements
// decide names, sizes and the order of the steps; the printer only does
// them. A printer holds at most one open device at a time; Close ends what
// is open (page, document, output redirection, work bitmap) and is harmless
// when nothing is.
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

// The default printer as the profile names it: name,driver,port.
struct PrinterDevice {
  std::string name, driver, port;
};

// The mapping of a page: logical window extent onto device pixels.
struct PageSetup {
  int32_t window_width = 0, window_height = 0;
  int32_t viewport_width = 0, viewport_height = 0;
};

class Printer {
 public:
  virtual ~Printer() = default;
  // The profile entry of the default printer ("device" in [windows]); empty
  // when there is none.
  virtual std::string DeviceEntry() = 0;
  // Makes the printer's device; false when it cannot be made. Gives the
  // device's pixels per inch across and down.
  virtual bool Open(const PrinterDevice& device, int32_t& dpi_x, int32_t& dpi_y) = 0;
  // Starts the document (the job's name) and its first page, then maps the
  // page; false when the printer refuses the document.
  virtual bool StartDocument(std::string_view name, const PageSetup& page) = 0;
  // Ends the page and starts the next, mapped again, with the script's font
  // selected again.
  virtual void NextPage(const PageSetup& page) = 0;
  // The output target and its shadow are the printer until Close.
  virtual void RedirectOutput() = 0;
  // Ends the page and the document if one is open, gives the output target
  // back, releases the device and any work bitmap.
  virtual void Close() = 0;

  // The busy cursor of the hard copies, and back to the one before.
  virtual void ShowPrintingCursor(bool on) = 0;
  // SCREENCOPY: the area (0, 0, width, height) of the output target into a
  // work bitmap, before the document starts.
  virtual bool CaptureTarget(int32_t width, int32_t height) = 0;
  // WINCOPY: the size of a whole window (frame and caption included);
  // false for a handle that names no window.
  virtual bool WindowSize(int32_t window, int32_t& width, int32_t& height) = 0;
  // WINCOPY: the whole window into a work bitmap of its size.
  virtual bool CaptureWindow(int32_t window) = 0;
  // A rectangle of the work bitmap to the same place on the page.
  virtual bool PrintCapture(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
};

}  // namespace vestil
