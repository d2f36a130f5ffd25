#pragma once
// Serial ports: opened by name, addressed by the handle the open returns (a
// long integer the script keeps; -1 never names a port).
#include <cstdint>
#include <string>
#include <string_view>

namespace vestil {

// The parts of a port's device control block that the functions reach.
struct CommState {
  // The codes of the control block.
  enum Parity : uint8_t { kNoParity = 0, kOdd = 1, kEven = 2, kMark = 3, kSpace = 4 };
  enum StopBits : uint8_t { kOneStopBit = 0, kOneAndHalfStopBits = 1, kTwoStopBits = 2 };
  // Bits of the flag word.
  static constexpr uint32_t kBinary = 0x0001;
  static constexpr uint32_t kParityCheck = 0x0002;
  static constexpr uint32_t kOutCtsFlow = 0x0004;
  static constexpr uint32_t kOutDsrFlow = 0x0008;
  static constexpr uint32_t kDtrControlMask = 0x0030;  // 0 off, 1 on, 2 handshake
  static constexpr int kDtrControlShift = 4;
  static constexpr uint32_t kDsrSensitivity = 0x0040;
  static constexpr uint32_t kOutX = 0x0100;
  static constexpr uint32_t kInX = 0x0200;
  static constexpr uint32_t kRtsControlMask = 0x3000;  // 0 off, 1 on, 2 handshake, 3 toggle
  static constexpr int kRtsControlShift = 12;

  uint32_t baud = 9600;
  uint8_t data_bits = 8;
  uint8_t parity = kNoParity;
  uint8_t stop_bits = kOneStopBit;
  uint32_t flags = kBinary;
  uint16_t xon_limit = 0;
  uint16_t xoff_limit = 0;
};

class SerialPorts {
 public:
  virtual ~SerialPorts() = default;
  // Opens a port for reading and writing, unshared, and sizes its queues.
  // The handle (above 0), or -1.
  virtual int32_t Open(std::string_view name, uint32_t in_queue, uint32_t out_queue) = 0;
  // Applies a mode definition ("baud=9600 parity=N data=8 stop=1" or
  // "9600,n,8,1") to state, changing only what it names; false when the
  // definition is not understood.
  virtual bool BuildState(std::string_view definition, CommState& state) = 0;
  virtual bool GetState(int32_t handle, CommState& state) = 0;
  virtual bool SetState(int32_t handle, const CommState& state) = 0;
  // The error flags (cleared by the call) and the bytes waiting to be read.
  virtual bool ClearError(int32_t handle, uint32_t& errors, uint32_t& waiting) = 0;
  // Writes bytes; written tells how many went out.
  virtual bool Write(int32_t handle, std::string_view bytes, uint32_t& written) = 0;
  // Reads at most count bytes without waiting for more than are there.
  virtual bool Read(int32_t handle, uint32_t count, std::string& bytes) = 0;
  virtual bool Close(int32_t handle) = 0;
};

// Error flags of ClearError.
namespace comm_error {
constexpr uint32_t kRxOver = 0x0001;
constexpr uint32_t kOverrun = 0x0002;
constexpr uint32_t kRxParity = 0x0004;
constexpr uint32_t kFrame = 0x0008;
constexpr uint32_t kBreak = 0x0010;
}  // namespace comm_error

}  // namespace vestil
