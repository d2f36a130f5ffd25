#pragma once
// The window functions (@CLIENTHEIGHT, @CLIENTWIDTH, @LOADSTRING$,
// @FULLPATH$, @SHORTPATH$, @POSTMESSAGE, @SENDKEYS, @SENDKEY,
// @GETSCROLLPOS, @ICONCOUNT, @FINDWINDOW) and the statements that place,
// show, enable and label windows (SETWINDOWPOS, WINDOWMAX, WINDOWMIN,
// WINDOWNORMAL, ENABLEWINDOW, SETTEXT, SETCHECK, MESSAGEBOX, EXITWINDOWS).
// They reach the platform through the host's WindowAccess.
#include <cstdint>
#include <optional>

namespace vestil {

struct Runtime;

// The key a character of @SENDKEYS is typed with on a German keyboard;
// none for a character that has no key.
struct TypedKey {
  uint8_t virtual_key = 0;
  bool shifted = false;
};
std::optional<TypedKey> KeyForCharacter(uint8_t c);

void RegisterWindowFunctions(Runtime& rt);

}  // namespace vestil
