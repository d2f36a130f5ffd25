// The screen of the console runner: console text on standard output, typed
// lines from standard input.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/cp1252.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {

int StandardInput::Byte(int timeout_ms) {
  if (pos_ < end_) return static_cast<unsigned char>(buffer_[pos_++]);
  if (timeout_ms >= 0) {
    pollfd p{0, POLLIN, 0};
    int r;
    do {
      r = poll(&p, 1, timeout_ms);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return kTimedOut;
  }
  ssize_t n;
  do {
    n = ::read(0, buffer_, kBlock);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return kEnd;
  pos_ = 1;
  end_ = static_cast<size_t>(n);
  return static_cast<unsigned char>(buffer_[0]);
}

namespace {

// Where the bytes of a line may be cut for conversion: a sequence of UTF-8
// never spans `at` when the byte there starts none of its own tails (no
// 10xxxxxx byte), nor when the last such start lies four or more bytes back.
bool SafeCut(std::string_view raw, size_t at) {
  for (size_t back = 0; back < 4 && back <= at; ++back)
    if ((static_cast<unsigned char>(raw[at - back]) & 0xC0) != 0x80) return back == 0;
  return true;
}

}  // namespace

bool StandardInput::Line(std::string& line, size_t max_chars) {
  line.clear();
  std::string raw;  // bytes not yet converted: a few beyond kBlock at most
  auto take = [&](size_t count) {
    for (char ch : Utf8ToCp1252(std::string_view(raw).substr(0, count))) {
      const uint8_t b = static_cast<uint8_t>(ch);
      if (b == 8) {
        if (!line.empty()) line.pop_back();
      } else if (b >= 32 && line.size() < max_chars) {
        line.push_back(ch);
      }
    }
    raw.erase(0, count);
  };
  bool any = false;
  for (;;) {
    // The bytes at hand up to the line end, taken as a block.
    if (pos_ == end_) {
      const int c = Byte(-1);
      if (c == kEnd) break;
      --pos_;
    }
    any = true;
    const char* from = buffer_ + pos_;
    const char* nl = static_cast<const char*>(std::memchr(from, '\n', end_ - pos_));
    const size_t n = nl ? static_cast<size_t>(nl - from) : end_ - pos_;
    raw.append(from, n);
    pos_ += n + (nl ? 1 : 0);
    if (nl) break;
    if (raw.size() >= kBlock) {
      size_t cut = raw.size() - 1;
      while (cut > 0 && !SafeCut(raw, cut)) --cut;
      take(cut);
    }
  }
  take(raw.size());
  return any;
}

TerminalScreen::TerminalScreen(StandardInput& input)
    : input_(input), stdin_is_tty_(isatty(0)), stdout_is_tty_(isatty(1)) {}

bool TerminalScreen::WriteText(std::string_view bytes) {
  // The console ignores carriage returns; a line feed starts a new line.
  std::string kept;
  kept.reserve(bytes.size());
  for (char c : bytes)
    if (c != '\r') kept.push_back(c);
  std::string out = Cp1252ToUtf8(kept);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return true;
}

LineRead TerminalScreen::ReadLine(std::string& line, size_t max_chars) {
  std::fflush(stdout);
  if (!input_.Line(line, max_chars)) return LineRead::kEndOfInput;
  // A terminal has echoed the line and its Enter; input from a file or a pipe
  // is echoed here, so that the output reads as the console showed it.
  if (!stdin_is_tty_) WriteText(line + "\n");
  return LineRead::kLine;
}

void TerminalScreen::MoveCursor(int column, int row) {
  if (stdout_is_tty_) std::printf("\x1b[%d;%dH", row + 1, column + 1);
}

void TerminalScreen::EndProgram() { std::fflush(stdout); }

}  // namespace vestil
