// The program file's header and lines as the compiler writes them and the
// lister and binder read them.
#include "vestcomp/program_file.h"

namespace vestcomp {

std::string StandardHeader(uint8_t marker1, uint8_t marker2) {
  std::string h = " ";
  h += kMagic;
  h += "VESTCOMP";
  h += static_cast<char>(marker1);
  h += static_cast<char>(marker2);
  h += "1.0       ";
  return h;
}

uint8_t LineKey(std::string_view header) {
  if (header.size() < kScrambleMarkerOffset + 2) return 0;
  auto m1 = static_cast<uint8_t>(header[kScrambleMarkerOffset]);
  auto m2 = static_cast<uint8_t>(header[kScrambleMarkerOffset + 1]);
  if (m1 == ' ' && m2 == ' ') return 0;
  return static_cast<uint8_t>(m1 | m2);
}

ProgramImage ParseProgram(std::string_view bytes) {
  ProgramImage image;
  if (bytes.size() < kHeaderSize) {
    image.header = std::string(bytes);
    return image;
  }
  image.header = std::string(bytes.substr(0, kHeaderSize));
  uint8_t key = LineKey(image.header);
  size_t pos = kHeaderSize;
  while (pos < bytes.size()) {
    auto len = static_cast<uint8_t>(bytes[pos]);
    if (image.lines.size() == kMaxLines || len > kMaxLineLength || bytes.size() - pos - 1 < len) {
      image.trailer = std::string(bytes.substr(pos));
      break;
    }
    std::string body(bytes.substr(pos + 1, len));
    for (auto& c : body) c = static_cast<char>(static_cast<uint8_t>(c) ^ key);
    image.lines.push_back(std::move(body));
    pos += 1 + len;
  }
  return image;
}

std::string SerializeProgram(const ProgramImage& image) {
  std::string out = image.header;
  uint8_t key = LineKey(image.header);
  for (const auto& line : image.lines) {
    out += static_cast<char>(line.size());
    for (char c : line) out += static_cast<char>(static_cast<uint8_t>(c) ^ key);
  }
  out += image.trailer;
  return out;
}

bool HasProgramMagic(std::string_view bytes) {
  return bytes.size() >= 1 + kMagic.size() && bytes[0] == ' ' && bytes.substr(1, kMagic.size()) == kMagic;
}

}  // namespace vestcomp
