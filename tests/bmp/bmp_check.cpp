// The BMP reader and writer as a command for tests/bmp/bmp_samples.py:
//   bmp_check read FILE...            one line per file: "NAME rejected" or
//                                     "NAME W H C,C,..." (0xRRGGBB, top row first)
//   bmp_check write W H BITS OUT      SAVEBMP's layout with table byte i = i & 255
//                                     and pixel byte i = (7 * i) & 255
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gui/bmp_file.h"

using namespace vestil::gui;

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  if (mode == "read") {
    for (int k = 2; k < argc; ++k) {
      std::ifstream in(argv[k], std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      BmpImage image;
      std::printf("%s", argv[k]);
      if (!ReadBmp(bytes.data(), bytes.size(), image)) {
        std::printf(" rejected\n");
        continue;
      }
      std::printf(" %d %d ", image.width, image.Rows());
      const std::vector<uint32_t> pixels = DecodeBmp(image);
      for (size_t i = 0; i < pixels.size(); ++i) std::printf("%s%06x", i ? "," : "", pixels[i]);
      std::printf("\n");
    }
    return 0;
  }
  if (mode == "write" && argc == 6) {
    const int32_t w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    const int bits = std::atoi(argv[4]);
    std::vector<uint8_t> table(BmpColorTableBytes(bits)), pixels(size_t(BmpRowBytes(bits, w) * h));
    for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(7 * i);
    const std::string file = BuildBmpFile(w, h, bits, table.data(), pixels.data());
    std::ofstream(argv[5], std::ios::binary).write(file.data(), std::streamsize(file.size()));
    return 0;
  }
  return 2;
}
