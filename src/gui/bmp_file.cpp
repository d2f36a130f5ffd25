// The BMP reader and SAVEBMP's layout (see bmp_file.h).
#include "gui/bmp_file.h"

#include <algorithm>
#include <bit>

#include "base/bytes.h"

namespace vestil::gui {
namespace {

constexpr size_t kFileHeader = 14;
constexpr uint32_t kInfoHeader = 40;
// Field offsets within the block (the information header first).
constexpr size_t kWidth = 4, kHeight = 8, kPlanes = 12, kBits = 14, kCompression = 16, kImageSize = 20,
                 kColorsUsed = 32;

uint32_t MaskBytes(const BmpImage& image) { return image.compression == kBmpBitfields ? 12 : 0; }

bool ContiguousMask(uint32_t mask, int bits) {
  if (mask == 0 || (bits < 32 && (mask >> bits) != 0)) return false;
  const uint32_t low = mask >> std::countr_zero(mask);
  return (low & (low + 1)) == 0;
}

// Walks an RLE stream of `length` bytes at `s` within the image's rows.
// Calls put(x, y, index) for each pixel, y counted from the bottom row.
// Returns the bytes used, or 0 when a command leaves the stream, the row or
// the rows.
template <typename Put>
uint32_t WalkRle(const uint8_t* s, uint32_t length, int32_t width, int32_t rows, bool four, Put put) {
  uint32_t p = 0;
  int64_t x = 0, y = 0;
  while (length - p >= 2) {
    const uint8_t count = s[p], value = s[p + 1];
    p += 2;
    if (count > 0) {  // a run of one value (RLE4: two alternating nibbles)
      if (y >= rows || x + count > width) return 0;
      for (int i = 0; i < count; ++i) {
        const uint8_t index = four ? ((i & 1) ? value & 0x0f : value >> 4) : value;
        put(x + i, y, index);
      }
      x += count;
    } else if (value == 0) {  // end of line
      x = 0;
      if (++y > rows) return 0;
    } else if (value == 1) {  // end of bitmap
      return p;
    } else if (value == 2) {  // delta: right and up
      if (length - p < 2) return 0;
      x += s[p];
      y += s[p + 1];
      p += 2;
      if (x > width || y > rows) return 0;
    } else {  // an absolute run of `value` pixels, padded to a word
      const uint32_t data = four ? (value + 1u) / 2 : value;
      const uint32_t used = (data + 1) & ~1u;
      if (used > length - p || y >= rows || x + value > width) return 0;
      for (int i = 0; i < value; ++i) {
        const uint8_t index = four ? ((i & 1) ? s[p + i / 2] & 0x0f : s[p + i / 2] >> 4) : s[p + i];
        put(x + i, y, index);
      }
      x += value;
      p += used;
    }
  }
  // The stream ended without its end mark: what it drew stands (an empty
  // stream is no image).
  return p;
}

uint8_t Scale(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t top = mask >> shift;
  return static_cast<uint8_t>(uint64_t((value & mask) >> shift) * 255 / top);
}

}  // namespace

uint32_t BmpImage::InfoBytes() const { return kInfoHeader + MaskBytes(*this) + 4 * color_count; }

bool ReadBmp(const uint8_t* data, size_t size, BmpImage& image) {
  image = BmpImage{};
  if (size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M') return false;
  // The block must be addressable with 32-bit offsets.
  if (size - kFileHeader > 0x7fffffffu) return false;
  const uint32_t offset = ReadLe32(data + 10);
  std::vector<uint8_t>& b = image.block;
  b.assign(data + kFileHeader, data + size);
  const uint32_t block_size = static_cast<uint32_t>(b.size());
  if (ReadLe32(b.data()) != kInfoHeader) return false;
  image.width = static_cast<int32_t>(ReadLe32(&b[kWidth]));
  image.height = static_cast<int32_t>(ReadLe32(&b[kHeight]));
  image.bits = ReadLe16(&b[kBits]);
  image.compression = ReadLe32(&b[kCompression]);
  if (ReadLe16(&b[kPlanes]) != 1) return false;
  if (image.width <= 0 || image.width > kBmpMaxSide || image.height == 0 || image.height < -kBmpMaxSide ||
      image.height > kBmpMaxSide || int64_t(image.width) * image.Rows() > kBmpMaxPixels)
    return false;
  switch (image.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  switch (image.compression) {
    case kBmpRgb: break;
    case kBmpRle8:
    case kBmpRle4:
      // Run-length rows are bottom-up only.
      if (image.bits != (image.compression == kBmpRle8 ? 8 : 4) || image.TopDown()) return false;
      break;
    case kBmpBitfields:
      if (image.bits != 16 && image.bits != 32) return false;
      break;
    default: return false;
  }
  // The colour table: the count the header names (all 2^bits when it names
  // none), at most 2^bits for palette images. The count the platform reads
  // is written back, so it reads just the entries checked here.
  uint32_t colors = ReadLe32(&b[kColorsUsed]);
  if (image.bits <= 8) {
    const uint32_t full = 1u << image.bits;
    if (colors == 0 || colors > full) colors = full;
    WriteLe32(&b[kColorsUsed], colors);
  }
  if (uint64_t(kInfoHeader) + MaskBytes(image) + uint64_t(colors) * 4 > block_size) return false;
  image.color_count = colors;
  if (image.compression == kBmpBitfields) {
    for (int k = 0; k < 3; ++k)
      if (!ContiguousMask(ReadLe32(&b[kInfoHeader + 4 * k]), image.bits)) return false;
  }
  // The pixels start at (offset - 14) within the block, after the header.
  if (offset < kFileHeader + kInfoHeader + MaskBytes(image) || offset - kFileHeader > block_size) return false;
  image.pixel_offset = offset - static_cast<uint32_t>(kFileHeader);
  const uint32_t available = block_size - image.pixel_offset;
  if (image.compression == kBmpRle8 || image.compression == kBmpRle4) {
    uint32_t length = ReadLe32(&b[kImageSize]);
    if (length == 0 || length > available) length = available;
    const uint32_t used = WalkRle(&b[0] + image.pixel_offset, length, image.width, image.Rows(),
                                  image.compression == kBmpRle4, [](int64_t, int64_t, uint8_t) {});
    if (used == 0) return false;
    image.pixel_bytes = used;
    WriteLe32(&b[kImageSize], used);
  } else {
    const int64_t need = BmpRowBytes(image.bits, image.width) * image.Rows();
    if (need > available) return false;
    image.pixel_bytes = static_cast<uint32_t>(need);
  }
  if (image.bits <= 8) {
    image.palette.resize(colors);
    for (uint32_t i = 0; i < colors; ++i) {
      const uint8_t* e = &b[kInfoHeader + 4 * i];
      image.palette[i] = uint32_t(e[2]) | uint32_t(e[1]) << 8 | uint32_t(e[0]) << 16;
    }
  }
  return true;
}

std::vector<uint32_t> DecodeBmp(const BmpImage& image) {
  const int32_t w = image.width, rows = image.Rows();
  std::vector<uint32_t> out(size_t(w) * size_t(rows), 0);
  const uint8_t* px = image.block.data() + image.pixel_offset;
  auto index_color = [&](uint32_t index) -> uint32_t {
    if (index >= image.palette.size()) return 0;
    const uint32_t c = image.palette[index];  // 0x00BBGGRR
    return (c & 0xff) << 16 | (c & 0xff00) | (c >> 16 & 0xff);
  };
  // The row of `out` for file row y (counted as stored).
  auto out_row = [&](int64_t y) { return image.TopDown() ? y : rows - 1 - y; };
  if (image.compression == kBmpRle8 || image.compression == kBmpRle4) {
    WalkRle(px, image.pixel_bytes, w, rows, image.compression == kBmpRle4,
            [&](int64_t x, int64_t y, uint8_t index) { out[size_t(out_row(y) * w + x)] = index_color(index); });
    return out;
  }
  uint32_t masks[3] = {0x7c00, 0x03e0, 0x001f};
  if (image.bits == 32) masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
  if (image.compression == kBmpBitfields)
    for (int k = 0; k < 3; ++k) masks[k] = ReadLe32(&image.block[kInfoHeader + 4 * k]);
  const int64_t row_bytes = BmpRowBytes(image.bits, w);
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* r = px + y * row_bytes;
    uint32_t* o = &out[size_t(out_row(y) * w)];
    for (int64_t x = 0; x < w; ++x) {
      switch (image.bits) {
        case 1: o[x] = index_color(r[x / 8] >> (7 - x % 8) & 1); break;
        case 4: o[x] = index_color(x % 2 ? r[x / 2] & 0x0f : r[x / 2] >> 4); break;
        case 8: o[x] = index_color(r[x]); break;
        case 24: o[x] = uint32_t(r[3 * x + 2]) << 16 | uint32_t(r[3 * x + 1]) << 8 | r[3 * x]; break;
        default: {
          const uint32_t v = image.bits == 16 ? ReadLe16(r + 2 * x) : ReadLe32(r + 4 * x);
          o[x] = uint32_t(Scale(v, masks[0])) << 16 | uint32_t(Scale(v, masks[1])) << 8 | Scale(v, masks[2]);
        }
      }
    }
  }
  return out;
}

size_t BmpColorTableBytes(int bits) { return bits <= 8 ? size_t(4) << bits : 0; }

std::string BuildBmpFile(int32_t width, int32_t height, int bits, const uint8_t* table, const uint8_t* pixels) {
  const uint32_t t = static_cast<uint32_t>(BmpColorTableBytes(bits));
  const uint32_t s = static_cast<uint32_t>(BmpRowBytes(bits, width) * height);
  std::string f(58 + size_t(t) + s, '\0');
  auto* p = reinterpret_cast<uint8_t*>(f.data());
  p[0] = 'B';
  p[1] = 'M';
  WriteLe32(p + 2, t + s + 58);
  WriteLe32(p + 10, t + 58);
  WriteLe32(p + 14, kInfoHeader);
  WriteLe32(p + 18, static_cast<uint32_t>(width));
  WriteLe32(p + 22, static_cast<uint32_t>(height));
  WriteLe16(p + 26, 1);
  WriteLe16(p + 28, static_cast<uint16_t>(bits));
  WriteLe32(p + 34, s);
  if (t > 0) std::copy(table, table + t, p + 54);
  // Four zero bytes between the table and the rows.
  if (s > 0) std::copy(pixels, pixels + s, p + 58 + t);
  return f;
}

}  // namespace vestil::gui
