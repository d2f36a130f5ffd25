// Serial ports of the Windows build: the communications API on the handle
// CreateFile gives.
#include "platform/win32/win32_util.h"

#include <cstddef>
#include <cstring>

#include "platform/win32/win32_host.h"

namespace vestil {
namespace {

HANDLE PortHandle(int32_t handle) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)); }

// The flag word (binary mode, parity check, flow control...) is the 32-bit
// field that follows the rate in the control block.
constexpr size_t kFlagsOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(kFlagsOffset + sizeof(uint32_t) <= offsetof(DCB, XonLim));

void FromDcb(const DCB& dcb, CommState& s) {
  s.baud = dcb.BaudRate;
  s.data_bits = dcb.ByteSize;
  s.parity = dcb.Parity;
  s.stop_bits = dcb.StopBits;
  std::memcpy(&s.flags, reinterpret_cast<const char*>(&dcb) + kFlagsOffset, sizeof s.flags);
  s.xon_limit = dcb.XonLim;
  s.xoff_limit = dcb.XoffLim;
}

void ToDcb(const CommState& s, DCB& dcb) {
  dcb.BaudRate = s.baud;
  dcb.ByteSize = s.data_bits;
  dcb.Parity = s.parity;
  dcb.StopBits = s.stop_bits;
  std::memcpy(reinterpret_cast<char*>(&dcb) + kFlagsOffset, &s.flags, sizeof s.flags);
  dcb.XonLim = s.xon_limit;
  dcb.XoffLim = s.xoff_limit;
}

}  // namespace

int32_t Win32SerialPorts::Open(std::string_view name, uint32_t in_queue, uint32_t out_queue) {
  const std::string path(name);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  const int32_t handle = h == INVALID_HANDLE_VALUE ? -1 : HandleNumber(h);
  if (handle > 0) SetupComm(h, in_queue, out_queue);
  return handle;
}

// The system's own reader of the definition, on a control block holding the
// given state; the timeouts it may set are not applied to the port.
bool Win32SerialPorts::BuildState(std::string_view definition, CommState& state) {
  DCB dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  ToDcb(state, dcb);
  COMMTIMEOUTS timeouts = {50, 50, 50, 50, 50};
  const std::string def(definition);
  if (!BuildCommDCBAndTimeoutsA(def.c_str(), &dcb, &timeouts)) return false;
  FromDcb(dcb, state);
  return true;
}

bool Win32SerialPorts::GetState(int32_t handle, CommState& state) {
  DCB dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(PortHandle(handle), &dcb)) return false;
  FromDcb(dcb, state);
  return true;
}

// The fields the state does not hold (the XON and XOFF characters...) keep the
// port's values.
bool Win32SerialPorts::SetState(int32_t handle, const CommState& state) {
  DCB dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(PortHandle(handle), &dcb)) return false;
  ToDcb(state, dcb);
  return SetCommState(PortHandle(handle), &dcb) != 0;
}

bool Win32SerialPorts::ClearError(int32_t handle, uint32_t& errors, uint32_t& waiting) {
  DWORD e = 0;
  COMSTAT status;
  std::memset(&status, 0, sizeof status);
  if (!ClearCommError(PortHandle(handle), &e, &status)) return false;
  errors = e;
  waiting = status.cbInQue;
  return true;
}

bool Win32SerialPorts::Write(int32_t handle, std::string_view bytes, uint32_t& written) {
  DWORD n = 0;
  const BOOL ok = WriteFile(PortHandle(handle), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  written = n;
  return ok != 0;
}

bool Win32SerialPorts::Read(int32_t handle, uint32_t count, std::string& bytes) {
  std::string buf(count, '\0');
  DWORD n = 0;
  const BOOL ok = ReadFile(PortHandle(handle), buf.data(), count, &n, nullptr);
  bytes.assign(buf, 0, n);
  return ok != 0;
}

bool Win32SerialPorts::Close(int32_t handle) { return CloseHandle(PortHandle(handle)) != 0; }

}  // namespace vestil
