// The sound of the console runner: the default beep on a terminal's standard
// error; no multimedia devices: BEEP and PLAYSOUND do nothing, MIDI has no
// output device (MIDINOTES and PLAY warn).
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/terminal/terminal_host.h"

namespace vestil {

TerminalSound::TerminalSound() : stderr_is_tty_(isatty(2)) {}

void TerminalSound::DefaultBeep() {
  if (stderr_is_tty_) std::fputs("\a", stderr);
}

uint32_t TerminalSound::MciCommand(std::string_view, std::string& reply) {
  reply = "MCI ist nicht verf\xfcgbar.";
  return kMciNotAvailable;
}

void TerminalSound::Nap() {
  const timespec ms{0, 1000000};
  nanosleep(&ms, nullptr);
}

}  // namespace vestil
