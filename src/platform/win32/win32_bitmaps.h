#pragma once
// Bitmaps in vestrun.exe (win32_bitmaps.cpp): device bitmaps made from
// checked images or loaded from module resources, blitted onto TargetDC and
// ShadowDC, which the screen owns, and the memory bitmap with its DC.
#include "host/bitmaps.h"

namespace vestil {

class Win32Screen;

class Win32Bitmaps : public Bitmaps {
 public:
  explicit Win32Bitmaps(Win32Screen& screen) : screen_(screen) {}
  Win32Bitmaps(const Win32Bitmaps&) = delete;
  Win32Bitmaps& operator=(const Win32Bitmaps&) = delete;
  ~Win32Bitmaps() override { ReleaseMemory(); }
  bool DrawImage(const DibImage& image, BitmapRect to, bool sized, uint32_t rop, bool invalidate) override;
  void PrintImage(const DibImage& image, BitmapRect to) override;
  bool DrawResource(int32_t module, std::string_view name, int32_t number, BitmapRect to, bool sized,
                    uint32_t rop, int32_t& width, int32_t& height) override;
  bool LoadMemory(const DibImage& image) override;
  void ReleaseMemory() override;
  void Copy(BitmapSource source, BitmapRect from, BitmapRect to, bool sized, uint32_t rop) override;
  bool CaptureShadow(BitmapRect rect, CapturedBits& bits) override;

 private:
  // An HBITMAP from an image, its palette realized on a DC of the main window.
  void* MakeBitmap(const DibImage& image, bool invalidate);
  // Draws a device bitmap of w x h on both targets and deletes it.
  void DrawAndDelete(void* bitmap, int32_t w, int32_t h, BitmapRect to, bool sized, uint32_t rop);

  Win32Screen& screen_;
  void* memory_bitmap_ = nullptr;  // MemoryBitmap (HBITMAP)
  void* memory_dc_ = nullptr;      // MemoryDC (HDC)
  void* memory_old_ = nullptr;     // what MemoryDC held before
};

}  // namespace vestil
