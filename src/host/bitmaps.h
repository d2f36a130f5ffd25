#pragma once
// Bitmaps on the output target and its shadow copy: images read from BMP
// files (already checked by the reader), bitmap resources of a module, the
// one memory bitmap, copies within the window and the pixels SAVEBMP writes.
// Raster operations are the platform's codes (SRCCOPY, ...). Coordinates are
// the script's (the caller has scaled them while printing).
#include <cstdint>
#include <string_view>
#include <vector>

namespace vestil {

// A checked device-independent image: the information header with its masks
// and colour table (BITMAPINFO), the pixels, and the logical palette of a
// palette image (0x00BBGGRR entries; empty for 16 bits and more).
struct DibImage {
  const uint8_t* info = nullptr;
  const uint8_t* pixels = nullptr;
  const uint32_t* palette = nullptr;
  uint32_t palette_size = 0;
  int32_t width = 0, height = 0;  // height > 0
};

// A rectangle; w and h are the size.
struct BitmapRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

// What a capture of the shadow copy gives SAVEBMP: the bit depth of the
// bitmap, its colour table (4 bytes per entry) and the bottom-up rows.
struct CapturedBits {
  int bits = 0;
  std::vector<uint8_t> table;
  std::vector<uint8_t> pixels;
};

// Where a bitmap statement draws from.
enum class BitmapSource : uint8_t { kImage, kResource, kMemory, kWindow };

class Bitmaps {
 public:
  virtual ~Bitmaps() = default;
  // Draws an image at `to` (its own size unless `sized`): on both targets
  // with the raster operation when not sized; stretched on the target and
  // then copied to the shadow when sized. The palette is realized first;
  // with `invalidate` the window is invalidated once when that changed it.
  // False when the platform cannot make the bitmap.
  virtual bool DrawImage(const DibImage& image, BitmapRect to, bool sized, uint32_t rop, bool invalidate) = 0;
  // While printing: the image drawn on the printer, stretched to `to`.
  virtual void PrintImage(const DibImage& image, BitmapRect to) = 0;
  // A bitmap resource of a module (a handle number) by name, or by number
  // when `number` >= 0, drawn as DrawImage draws; false when it does not
  // load. width and height receive its size.
  virtual bool DrawResource(int32_t module, std::string_view name, int32_t number, BitmapRect to, bool sized,
                            uint32_t rop, int32_t& width, int32_t& height) = 0;
  // MLOADBMP: the memory bitmap made from an image; false when it cannot be
  // made (then there is none). ReleaseMemory drops it.
  virtual bool LoadMemory(const DibImage& image) = 0;
  virtual void ReleaseMemory() = 0;
  // Copies from the memory bitmap or within the window: `from` to `to`,
  // stretched when sized (then the destination is copied to the shadow),
  // else with the raster operation on both targets (`to` takes from's size).
  virtual void Copy(BitmapSource source, BitmapRect from, BitmapRect to, bool sized, uint32_t rop) = 0;
  // The rectangle of the shadow copy as a device bitmap's bits; false when
  // the platform cannot give them.
  virtual bool CaptureShadow(BitmapRect rect, CapturedBits& bits) = 0;
};

}  // namespace vestil
