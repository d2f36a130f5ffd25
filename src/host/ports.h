#pragma once
// Hardware I/O ports (a byte, or a 16-bit word).
#include <cstdint>

namespace vestil {

class Ports {
 public:
  virtual ~Ports() = default;
  // Where user programs may not reach the ports, reads give 0 and writes do
  // nothing.
  virtual uint32_t PortIn(uint16_t port, bool word) = 0;
  virtual void PortOut(uint16_t port, uint16_t value, bool word) = 0;
};

}  // namespace vestil
