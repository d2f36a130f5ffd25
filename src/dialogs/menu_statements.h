#pragma once
// The menu statements: LOADMENU, MENUITEM, MENUPOPUP, NEWPOPUP, APPENDITEM,
// SEPARATOR, SUBMENU, ENDSUBMENU, SHOWPOPUP, INSERTITEM, CHECKITEM,
// ENABLEITEM and REMOVEITEM. The building state (the pop-up that receives
// items, the parent saved while a submenu is open) lives here; the menus
// themselves are the host's. A chosen item reaches the script as a command
// through the main window, never through these statements.
#include <cstdint>

#include "core/runtime.h"

namespace vestil {

// Building state. The menu bar itself is whatever the main window shows
// (the host's WindowMenu): "LEER" after the window's creation, 0 with the
// window style that suppresses it.
struct MenuState {
  int32_t current_popup = 0;  // receives APPENDITEM, SEPARATOR and SUBMENU
  int32_t parent_popup = 0;   // the current pop-up saved by SUBMENU
  bool submenu_open = false;  // one level only
};

void RegisterMenuStatements(Runtime& rt);

}  // namespace vestil
