// Bitmaps in the console runner: there is nothing to draw on.
#include "platform/terminal/terminal_bitmaps.h"

namespace vestil {

bool TerminalBitmaps::DrawImage(const DibImage&, BitmapRect, bool, uint32_t, bool) { return true; }
void TerminalBitmaps::PrintImage(const DibImage&, BitmapRect) {}
bool TerminalBitmaps::DrawResource(int32_t, std::string_view, int32_t, BitmapRect, bool, uint32_t, int32_t& width,
                                   int32_t& height) {
  width = height = 0;
  return false;  // no modules with resources
}
bool TerminalBitmaps::LoadMemory(const DibImage&) { return true; }
void TerminalBitmaps::Copy(BitmapSource, BitmapRect, BitmapRect, bool, uint32_t) {}
bool TerminalBitmaps::CaptureShadow(BitmapRect, CapturedBits&) { return false; }

}  // namespace vestil
