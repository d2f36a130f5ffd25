// The console runner's printer: there is none. The profile names no default
// printer, so STARTPRINT, SCREENCOPY and WINCOPY of a window stop with
// message 235 as they do on a Windows system without one; no window handle
// names a window here, so WINCOPY stops with message 242 first.
#include "platform/terminal/terminal_host.h"

namespace vestil {

std::string TerminalPrinter::DeviceEntry() { return std::string(); }

bool TerminalPrinter::Open(const PrinterDevice&, int32_t& dpi_x, int32_t& dpi_y) {
  dpi_x = dpi_y = 0;
  return false;
}

bool TerminalPrinter::WindowSize(int32_t, int32_t& width, int32_t& height) {
  width = height = 0;
  return false;
}

}  // namespace vestil
