// The screen of the console runner: console text on standard output, typed
// lines from standard input.
#include <unistd.h>

#include <cstdio>

#include "base/cp1252.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {

TerminalScreen::TerminalScreen() : stdin_is_tty_(isatty(0)), stdout_is_tty_(isatty(1)) {}

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
  std::string raw;
  int c;
  bool any = false;
  while ((c = std::fgetc(stdin)) != EOF) {
    any = true;
    if (c == '\n') break;
    raw.push_back(static_cast<char>(c));
  }
  if (!any) return LineRead::kEndOfInput;
  line.clear();
  for (char ch : Utf8ToCp1252(raw)) {
    uint8_t b = static_cast<uint8_t>(ch);
    if (b == 8) {
      if (!line.empty()) line.pop_back();
    } else if (b >= 32 && line.size() < max_chars) {
      line.push_back(ch);
    }
  }
  // A terminal has echoed the line and its Enter; input from a file or a pipe
  // is echoed here, so that the output reads as the console showed it.
  if (!stdin_is_tty_) WriteText(line + "\n");
  return LineRead::kLine;
}

bool TerminalScreen::Locate(int column, int row) {
  if (stdout_is_tty_) std::printf("\x1b[%d;%dH", row + 1, column + 1);
  return true;
}

void TerminalScreen::EndProgram() { std::fflush(stdout); }

}  // namespace vestil
