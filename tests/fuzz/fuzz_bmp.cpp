// Fuzz target: a BMP file, decoded in full, written in SAVEBMP's layout and
// read back. Findings: header, table or pixels past the block of an accepted
// image; a written file that does not read back as the same picture.
#include <vector>

#include "fuzz_check.h"
#include "gui/bmp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vestil::gui;
  BmpImage image;
  if (!ReadBmp(data, size, image)) return 0;
  const size_t block = image.block.size();
  Require(image.InfoBytes() <= block, "header and colour table past the block");
  Require(size_t(image.pixel_offset) + image.pixel_bytes <= block, "pixels past the block");
  Require(image.pixel_bytes > 0, "an image without pixels");
  // A small RLE stream may name a picture of 2^26 pixels; decoding that
  // many is not what this target looks for (the stream itself was walked).
  if (int64_t(image.width) * image.Rows() > (int64_t(1) << 20)) return 0;
  const std::vector<uint32_t> pixels = DecodeBmp(image);
  Require(pixels.size() == size_t(image.width) * size_t(image.Rows()), "decoded size");
  // Written as 24 bits, bottom-up, and read again: the same picture.
  if (pixels.size() > 4096) return 0;
  const int32_t w = image.width, h = image.Rows();
  const int64_t row = BmpRowBytes(24, w);
  std::vector<uint8_t> rows(size_t(row * h), 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = pixels[size_t(h - 1 - y) * w + x];
      uint8_t* p = &rows[size_t(y * row + 3 * x)];
      p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
    }
  const std::string file = BuildBmpFile(w, h, 24, nullptr, rows.data());
  BmpImage again;
  Require(ReadBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), again), "written file not loadable");
  Require(DecodeBmp(again) == pixels, "written file reads back differently");
  return 0;
}
