// The waits of the console runner (see TerminalEvents in terminal_host.h).
// Standard input is read only while a wait sleeps, so INPUT and the waits
// take their input in the order the program asks for it; both read it
// through one buffer (StandardInput), which a poll asks only when it is empty.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include "base/cp1252.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {
namespace {

constexpr int kEndOfInput = -1, kTimedOut = -2;
// Windows keeps a timer's interval within these bounds.
constexpr int64_t kTimerMinimum = 10, kTimerMaximum = 0x7fffffff;
// The bytes of an escape sequence follow the escape at once; a lone escape
// is the Escape key.
constexpr int kEscapeSequenceWait = 30;

constexpr uint8_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0d, kVkEscape = 0x1b;
constexpr uint8_t kVkOther = 0xdf;  // a character without a key of its own

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The virtual key a German keyboard sends for a character (with Shift or
// AltGr where needed); control characters are Ctrl with their letter.
uint8_t VirtualKeyOf(uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
  switch (c) {
    case 8: case 127: return kVkBack;
    case 9: return kVkTab;
    case 13: return kVkReturn;
    case 27: return kVkEscape;
    case '!': return '1';
    case '"': return '2';
    case 0xa7: return '3';  // section sign
    case '$': return '4';
    case '%': return '5';
    case '&': return '6';
    case '/': return '7';
    case '(': return '8';
    case ')': return '9';
    case '=': return '0';
    case '+': case '*': case '~': return 0xbb;
    case ',': case ';': return 0xbc;
    case '-': case '_': return 0xbd;
    case '.': case ':': return 0xbe;
    case '#': case '\'': return 0xbf;
    case 0xfc: case 0xdc: return 0xba;  // ue
    case 0xf6: case 0xd6: return 0xc0;  // oe
    case 0xe4: case 0xc4: return 0xde;  // ae
    case 0xdf: case '?': case '\\': return 0xdb;  // sharp s
    case '^': return 0xdc;
    case '<': case '>': case '|': return 0xe2;
    case '{': return '7';
    case '[': return '8';
    case ']': return '9';
    case '}': return '0';
    case '@': return 'Q';
    case 0x80: return 'E';  // euro sign
    case 0xb2: return '2';
    case 0xb3: return '3';
    case 0xb5: return 'M';  // micro sign
    case 0xb0: return 0xdc;  // degree sign
    case '`': case 0xb4: return 0xdd;  // the accents
    default: break;
  }
  if (c < 27) return static_cast<uint8_t>(c - 1 + 'A');
  return kVkOther;
}

// A terminal delivers single keys without echo while a wait reads one;
// its own settings come back on every way out.
class SingleKeys {
 public:
  explicit SingleKeys(bool on) {
    if (!on || tcgetattr(0, &saved_) != 0) return;
    termios t = saved_;
    // Ctrl+C arrives as a character and stops the script, as in the window.
    t.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    active_ = tcsetattr(0, TCSANOW, &t) == 0;
  }
  ~SingleKeys() {
    if (active_) tcsetattr(0, TCSANOW, &saved_);
  }
  SingleKeys(const SingleKeys&) = delete;
  SingleKeys& operator=(const SingleKeys&) = delete;

 private:
  termios saved_{};
  bool active_ = false;
};

}  // namespace

TerminalEvents::TerminalEvents(StandardInput& input) : input_(input), stdin_is_tty_(isatty(0)) {}

// The next byte of standard input; kTimedOut when none came within
// timeout_ms (negative: no limit), kEndOfInput at its end.
int TerminalEvents::NextByte(int timeout_ms) {
  if (pending_ >= 0) {
    const int c = pending_;
    pending_ = -1;
    return c;
  }
  const int c = input_.Byte(timeout_ms);
  return c == StandardInput::kTimedOut ? kTimedOut : c == StandardInput::kEnd ? kEndOfInput : c;
}

// One key: a character (UTF-8 from the terminal, one Windows-1252 byte),
// Enter for a line end, or a cursor key's escape sequence.
InputEvent TerminalEvents::ReadKey() {
  int c = NextByte(-1);
  if (after_cr_ && c == '\n') c = NextByte(-1);
  after_cr_ = c == '\r';
  if (c == kEndOfInput) return {InputEvent::Kind::kEnd};
  if (c == '\n' || c == '\r') return {InputEvent::Kind::kKey, kVkReturn, 13};
  if (c == 27) {
    const int next = NextByte(kEscapeSequenceWait);
    if (next != '[' && next != 'O') {
      if (next >= 0) pending_ = next;
      return {InputEvent::Kind::kKey, kVkEscape, 27};
    }
    // Parameters, then the final byte; keys other than these are dropped.
    int final = NextByte(kEscapeSequenceWait);
    while (final >= 0x20 && final < 0x40) final = NextByte(kEscapeSequenceWait);
    static constexpr struct { int final; uint8_t key; } kCursorKeys[] = {
        {'A', 0x26}, {'B', 0x28}, {'C', 0x27}, {'D', 0x25}, {'H', 0x24}, {'F', 0x23}};
    for (const auto& k : kCursorKeys)
      if (k.final == final) return {InputEvent::Kind::kKey, k.key, 0};
    if (final == kEndOfInput) return {InputEvent::Kind::kEnd};
    return {};
  }
  std::string bytes(1, static_cast<char>(c));
  const int more = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : 0;
  for (int k = 0; k < more; ++k) {
    const int b = NextByte(kEscapeSequenceWait);
    if (b < 0) break;
    if ((b & 0xc0) != 0x80) {
      pending_ = b;
      break;
    }
    bytes.push_back(static_cast<char>(b));
  }
  const std::string ch = Utf8ToCp1252(bytes);
  const uint8_t code = static_cast<uint8_t>(ch.empty() ? '?' : ch[0]);
  return {InputEvent::Kind::kKey, VirtualKeyOf(code), code};
}

// A click: a line of input (its text is dropped).
InputEvent TerminalEvents::ReadClick() {
  bool any = false;
  for (;;) {
    int c = NextByte(-1);
    if (after_cr_ && c == '\n' && !any) c = NextByte(-1);
    after_cr_ = c == '\r';
    if (c == kEndOfInput) return any ? InputEvent{InputEvent::Kind::kClick} : InputEvent{InputEvent::Kind::kEnd};
    if (c == '\n' || c == '\r') return {InputEvent::Kind::kClick};
    any = true;
  }
}

InputEvent TerminalEvents::WaitForEvent(WaitFor wanted, bool timer_ends, bool) {
  // What the program wrote before it waits is shown first.
  std::fflush(stdout);
  const bool timed = timer_ends && timer_set_;
  const auto until_due = [this] { return static_cast<int>(std::clamp<int64_t>(next_due_ms_ - NowMs(), 0, 1 << 30)); };
  if (input_ended_) {
    // Nobody types any more: only the timer can end the wait.
    if (!timed) return {InputEvent::Kind::kEnd};
    poll(nullptr, 0, until_due());
    return {};
  }
  SingleKeys keys(stdin_is_tty_ && wanted != WaitFor::kClick);
  if (timed && pending_ < 0) {
    const int c = NextByte(until_due());
    if (c == kTimedOut) return {};
    pending_ = c == kEndOfInput ? -1 : c;
    if (c == kEndOfInput) {
      input_ended_ = true;
      return {};
    }
  }
  const InputEvent e = wanted == WaitFor::kClick ? ReadClick() : ReadKey();
  if (e.kind == InputEvent::Kind::kEnd) {
    input_ended_ = true;
    if (timed) return {};
  }
  return e;
}

void TerminalEvents::SetTimer(uint32_t ms) {
  interval_ms_ = std::clamp<int64_t>(ms, kTimerMinimum, kTimerMaximum);
  next_due_ms_ = NowMs() + interval_ms_;
  timer_set_ = true;
}

bool TerminalEvents::TimerTicked() {
  if (!timer_set_) return false;
  const int64_t now = NowMs();
  if (now < next_due_ms_) return false;
  // Ticks missed meanwhile do not queue.
  next_due_ms_ += ((now - next_due_ms_) / interval_ms_ + 1) * interval_ms_;
  return true;
}

}  // namespace vestil
