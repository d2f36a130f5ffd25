#pragma once
// The waits (WAITKEY, WAITCHAR, WAITMOUSE, WAITINPUT) and the script timer
// (SETTIMER, KILLTIMER), run over the host's pump and events.
#include "gui/waits.h"

namespace vestil {

struct Runtime;

// Runs one wait on the window's event record through the host: pump, test,
// and sleep (or, for the polling waits, yield) while the condition is false.
// Ends the program (exit code 255) when the input ends or the user breaks off.
void RunHostWait(Runtime& rt, gui::Wait w);

void RegisterWaitStatements(Runtime& rt);

}  // namespace vestil
