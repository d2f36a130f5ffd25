#pragma once
// The statements that set up and steer the script window: PAINTMODE,
// STARTPAINT, ENDPAINT, WINDOW, WINDOWSTYLE, SETCOMMAND, SCROLLPOS,
// SCROLLRANGE, the DDE link (LINKCONNECT, LINKSEND, LINKCLOSE) and its
// system variable &PARTNER. Registered after the window statements, whose
// gui state they use.
#include "core/runtime.h"

namespace vestil {

void RegisterWindowControlStatements(Runtime& rt);

}  // namespace vestil
