#pragma once
// The keyboard and mouse functions (@INKEY$, @WAITKEY$, @KEYIN, @ISKEY,
// @ISCOMMAND, @MOUSEIN, @MOUSECELL) and the system variables of the event
// record and the main window.

namespace vestil {

struct Runtime;

void RegisterEventFunctions(Runtime& rt);

}  // namespace vestil
