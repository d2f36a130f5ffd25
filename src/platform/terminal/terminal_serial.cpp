// Serial ports of the console runner over termios.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "data/serial_mode.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {
namespace {

struct Rate {
  uint32_t baud;
  speed_t speed;
};

constexpr Rate kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
};

bool SpeedOf(uint32_t baud, speed_t& speed) {
  for (const Rate& r : kRates)
    if (r.baud == baud) {
      speed = r.speed;
      return true;
    }
  return false;
}

uint32_t BaudOf(speed_t speed) {
  for (const Rate& r : kRates)
    if (r.speed == speed) return r.baud;
  return 9600;
}

// The line settings of a termios in the control block's terms.
void ReadLine(const termios& t, CommState& s) {
  s.baud = BaudOf(cfgetospeed(&t));
  switch (t.c_cflag & CSIZE) {
    case CS5: s.data_bits = 5; break;
    case CS6: s.data_bits = 6; break;
    case CS7: s.data_bits = 7; break;
    default: s.data_bits = 8; break;
  }
  s.parity = CommState::kNoParity;
  if (t.c_cflag & PARENB) {
    const bool odd = t.c_cflag & PARODD;
#ifdef CMSPAR
    if (t.c_cflag & CMSPAR) s.parity = odd ? CommState::kMark : CommState::kSpace;
    else
#endif
      s.parity = odd ? CommState::kOdd : CommState::kEven;
  }
  s.stop_bits = (t.c_cflag & CSTOPB) ? CommState::kTwoStopBits : CommState::kOneStopBit;
}

// The control block's settings written into a termios; false for a rate or a
// parity the line cannot have.
bool WriteLine(const CommState& s, termios& t) {
  speed_t speed;
  if (!SpeedOf(s.baud, speed) || s.data_bits < 5 || s.data_bits > 8) return false;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= kSizes[s.data_bits - 5] | CLOCAL | CREAD;
#ifdef CMSPAR
  t.c_cflag &= ~CMSPAR;
#endif
  switch (s.parity) {
    case CommState::kNoParity: break;
    case CommState::kOdd: t.c_cflag |= PARENB | PARODD; break;
    case CommState::kEven: t.c_cflag |= PARENB; break;
#ifdef CMSPAR
    case CommState::kMark: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case CommState::kSpace: t.c_cflag |= PARENB | CMSPAR; break;
#endif
    default: return false;
  }
  if (s.stop_bits != CommState::kOneStopBit) t.c_cflag |= CSTOPB;  // 1.5 with five data bits
  // Flow control: XON/XOFF each way; CTS (or RTS handshaking) in hardware.
  t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  if (s.flags & CommState::kOutX) t.c_iflag |= IXON;
  if (s.flags & CommState::kInX) t.c_iflag |= IXOFF;
  if (s.flags & CommState::kParityCheck) t.c_iflag |= INPCK;
#ifdef CRTSCTS
  t.c_cflag &= ~CRTSCTS;
  const uint32_t rts = (s.flags & CommState::kRtsControlMask) >> CommState::kRtsControlShift;
  if ((s.flags & CommState::kOutCtsFlow) || rts == 2) t.c_cflag |= CRTSCTS;
#endif
  return true;
}

// The driver's error counters: frame, parity, overrun, buffer overrun, break.
bool ErrorCounts(int fd, uint32_t counts[5]) {
#ifdef TIOCGICOUNT
  serial_icounter_struct c{};
  if (ioctl(fd, TIOCGICOUNT, &c) != 0) return false;
  counts[0] = static_cast<uint32_t>(c.frame);
  counts[1] = static_cast<uint32_t>(c.parity);
  counts[2] = static_cast<uint32_t>(c.overrun);
  counts[3] = static_cast<uint32_t>(c.buf_overrun);
  counts[4] = static_cast<uint32_t>(c.brk);
  return true;
#else
  (void)fd;
  (void)counts;
  return false;
#endif
}

bool Upper(char c, char u) { return c == u || c == u + ('a' - 'A'); }

}  // namespace

std::string TerminalSerialPorts::DevicePath(std::string_view name) {
  if (name.substr(0, 4) == "\\\\.\\") name.remove_prefix(4);
  if (!name.empty() && name.back() == ':') name.remove_suffix(1);
  if (name.size() < 4 || name.size() > 6 || !Upper(name[0], 'C') || !Upper(name[1], 'O') ||
      !Upper(name[2], 'M') || name[3] == '0')
    return std::string();
  int n = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return std::string();
    n = n * 10 + (c - '0');
  }
  if (n < 1 || n > 255) return std::string();
  const std::string var = "VESTIL_COM" + std::to_string(n);
  if (const char* v = std::getenv(var.c_str()); v && *v) return v;
  return "/dev/ttyS" + std::to_string(n - 1);
}

TerminalSerialPorts::~TerminalSerialPorts() {
  for (auto& [fd, port] : ports_) close(fd);
}

// The queue sizes are the driver's own.
int32_t TerminalSerialPorts::Open(std::string_view name, uint32_t, uint32_t) {
  const std::string path = DevicePath(name);
  if (path.empty()) return -1;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  termios t;
  if (fstat(fd, &st) != 0 || tcgetattr(fd, &t) != 0) {
    close(fd);
    return -1;
  }
  Port port;
  port.device = S_ISCHR(st.st_mode) ? static_cast<uint64_t>(st.st_rdev) : static_cast<uint64_t>(st.st_ino);
  // Unshared: not twice here, and (for other processes) exclusive.
  for (const auto& [other, p] : ports_)
    if (p.device == port.device) {
      close(fd);
      return -1;
    }
#ifdef TIOCEXCL
  ioctl(fd, TIOCEXCL);
#endif
  // Raw bytes both ways; reads never wait (only what is there is read).
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
  // Writes wait until the bytes are out, as they do without timeouts.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  ReadLine(t, port.state);
  port.state.flags = CommState::kBinary | (1u << CommState::kDtrControlShift) |
                     (1u << CommState::kRtsControlShift);
  ErrorCounts(fd, port.counts);
  ports_[fd] = port;
  return fd;
}

bool TerminalSerialPorts::BuildState(std::string_view definition, CommState& state) {
  CommTimeouts timeouts;  // read and not applied
  return ParseCommDefinition(definition, state, timeouts);
}

bool TerminalSerialPorts::GetState(int32_t handle, CommState& state) {
  auto it = ports_.find(handle);
  if (it == ports_.end()) return false;
  state = it->second.state;
  termios t;
  if (tcgetattr(handle, &t) == 0) ReadLine(t, state);
  return true;
}

bool TerminalSerialPorts::SetState(int32_t handle, const CommState& state) {
  auto it = ports_.find(handle);
  termios t;
  if (it == ports_.end() || tcgetattr(handle, &t) != 0 || !WriteLine(state, t) ||
      tcsetattr(handle, TCSANOW, &t) != 0)
    return false;
  it->second.state = state;
  return true;
}

bool TerminalSerialPorts::ClearError(int32_t handle, uint32_t& errors, uint32_t& waiting) {
  auto it = ports_.find(handle);
  if (it == ports_.end()) return false;
  int n = 0;
  if (ioctl(handle, FIONREAD, &n) != 0 || n < 0) n = 0;
  waiting = static_cast<uint32_t>(n);
  errors = 0;
  uint32_t now[5];
  if (ErrorCounts(handle, now)) {
    static constexpr uint32_t kFlags[5] = {comm_error::kFrame, comm_error::kRxParity, comm_error::kOverrun,
                                           comm_error::kRxOver, comm_error::kBreak};
    for (int k = 0; k < 5; ++k)
      if (now[k] != it->second.counts[k]) errors |= kFlags[k];
    std::copy(now, now + 5, it->second.counts);
  }
  return true;
}

bool TerminalSerialPorts::Write(int32_t handle, std::string_view bytes, uint32_t& written) {
  written = 0;
  if (ports_.find(handle) == ports_.end()) return false;
  while (written < bytes.size()) {
    const ssize_t n = write(handle, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<uint32_t>(n);
  }
  return true;
}

bool TerminalSerialPorts::Read(int32_t handle, uint32_t count, std::string& bytes) {
  bytes.clear();
  if (ports_.find(handle) == ports_.end()) return false;
  std::string buf(count, '\0');
  size_t got = 0;
  while (got < count) {
    const ssize_t n = read(handle, buf.data() + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && got == 0) return false;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.assign(buf, 0, got);
  return true;
}

bool TerminalSerialPorts::Close(int32_t handle) {
  auto it = ports_.find(handle);
  if (it == ports_.end()) return false;
#ifdef TIOCNXCL
  ioctl(handle, TIOCNXCL);
#endif
  ports_.erase(it);
  return close(handle) == 0;
}

}  // namespace vestil
