#pragma once
// Little-endian 16- and 32-bit values in byte buffers: program files, the
// runner's appended-program slot, area variables, dBase headers.
#include <cstdint>
#include <string>

namespace vestil {

inline uint16_t ReadLe16(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}

inline uint32_t ReadLe32(const void* p) {
  const auto* b = static_cast<const uint8_t*>(p);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
         static_cast<uint32_t>(b[3]) << 24;
}

inline void WriteLe16(void* p, uint16_t v) {
  auto* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteLe32(void* p, uint32_t v) {
  auto* b = static_cast<uint8_t*>(p);
  for (int k = 0; k < 4; ++k) b[k] = static_cast<uint8_t>(v >> (8 * k));
}

inline void AppendLe16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xff);
  s += static_cast<char>(v >> 8);
}

}  // namespace vestil
