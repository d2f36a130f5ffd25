#pragma once
// BMP files: the reader that turns a file image into the header, palette and
// pixel block the platform builds a bitmap from, and the layout SAVEBMP
// writes. The reader accepts only files with the 40-byte information header
// and checks everything the platform will read (colour table, masks, every
// pixel row, every RLE command) against the block, so a bitmap built from an
// accepted image never reads outside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vestil::gui {

inline constexpr uint32_t kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitfields = 3;
// Each side of a bitmap is at most this many pixels, and the whole at most
// kBmpMaxPixels: a larger header is not loadable.
inline constexpr int32_t kBmpMaxSide = 32767;
inline constexpr int64_t kBmpMaxPixels = int64_t(1) << 26;

struct BmpImage {
  // The file after its 14-byte file header: the information header, the
  // masks and colour table, the pixels. For RLE images the image-size field
  // (block offset 20) holds the length of the checked stream.
  std::vector<uint8_t> block;
  uint32_t pixel_offset = 0;  // of the pixel data within block
  uint32_t pixel_bytes = 0;   // bytes of pixel data the image uses
  int32_t width = 0;
  int32_t height = 0;  // as in the file: negative for top-down rows
  uint16_t bits = 0;
  uint32_t compression = kBmpRgb;
  uint32_t color_count = 0;  // colour table entries after the header (and masks)
  // The logical palette (1, 4 and 8 bits): 0x00BBGGRR per entry, from the
  // table's (blue, green, red, 0).
  std::vector<uint32_t> palette;

  int32_t Rows() const { return height < 0 ? -height : height; }
  bool TopDown() const { return height < 0; }
  // Bytes from the block start to the end of the masks and colour table:
  // the BITMAPINFO the platform reads.
  uint32_t InfoBytes() const;
};

// Parses and checks a whole file image; false when it is not loadable.
bool ReadBmp(const uint8_t* data, size_t size, BmpImage& image);

// The colours of an accepted image as 0x00RRGGBB, top row first, row by row;
// pixels an RLE stream skips are 0 (the first palette entry's index).
std::vector<uint32_t> DecodeBmp(const BmpImage& image);

// The bytes of a pixel row of b bits per pixel: padded to 4 bytes.
inline int64_t BmpRowBytes(int64_t bits, int64_t width) { return (bits * width + 31) / 32 * 4; }

// SAVEBMP's file: header, colour table (as the platform returned it), four
// zero bytes, the bottom-up rows. The table has 2^b entries for b <= 8 bits
// and none for 16, 24 and 32 bits; `table` must hold that many bytes and
// `pixels` the rows.
size_t BmpColorTableBytes(int bits);
std::string BuildBmpFile(int32_t width, int32_t height, int bits, const uint8_t* table, const uint8_t* pixels);

}  // namespace vestil::gui
