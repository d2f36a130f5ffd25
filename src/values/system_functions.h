#pragma once
// Colour values and the functions that reach the operating system: command
// line, environment, starting programs, multimedia command strings.
#include <cstdint>

namespace vestil {

struct Runtime;

struct SystemState {
  // TRUECOLOR: colours are red + 256 green + 65536 blue (0..255 each) instead
  // of the 15-bit form red + 32 green + 1024 blue (0..31 each).
  bool true_color_mode = false;
  int32_t mci_error = 0;  // &MCIERROR: the code of the last @MCISEND$
};

// @RGB, @GETRED, @GETGREEN, @GETBLUE, @PAR$, @GETENV$, @EXECWAIT, @WINEXEC,
// @MCISEND$, @NOP and the statement TRUECOLOR.
void RegisterSystemFunctions(Runtime& rt);

}  // namespace vestil
