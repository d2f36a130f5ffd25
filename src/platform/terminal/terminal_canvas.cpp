// The console runner's stand-in for drawing: a terminal has no window, so
// there is nothing to draw on, as in a program whose window does not exist
// (the statements that require one stop with their error). CLS clears a
// terminal screen.
#include <unistd.h>

#include <cstdio>

#include "platform/terminal/terminal_host.h"

namespace vestil {

TerminalCanvas::TerminalCanvas() : stdout_is_tty_(isatty(1)) {}

void TerminalCanvas::Clear(std::optional<uint32_t>) {
  // Home the cursor and erase the screen; a file or a pipe keeps its text
  // as it is.
  if (stdout_is_tty_) {
    std::fputs("\x1b[H\x1b[2J", stdout);
    std::fflush(stdout);
  }
}

}  // namespace vestil
