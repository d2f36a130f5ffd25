#pragma once
// The console runner has no window: the bitmap statements that need one stop
// with message 237 before they get here, resources never load (message 228)
// and nothing is drawn (terminal_bitmaps.cpp).
#include "host/bitmaps.h"

namespace vestil {

class TerminalBitmaps : public Bitmaps {
 public:
  bool DrawImage(const DibImage& image, BitmapRect to, bool sized, uint32_t rop, bool invalidate) override;
  void PrintImage(const DibImage& image, BitmapRect to) override;
  bool DrawResource(int32_t module, std::string_view name, int32_t number, BitmapRect to, bool sized,
                    uint32_t rop, int32_t& width, int32_t& height) override;
  bool LoadMemory(const DibImage& image) override;
  void ReleaseMemory() override {}
  void Copy(BitmapSource source, BitmapRect from, BitmapRect to, bool sized, uint32_t rop) override;
  bool CaptureShadow(BitmapRect rect, CapturedBits& bits) override;
};

}  // namespace vestil
