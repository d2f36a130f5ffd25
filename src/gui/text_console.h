#pragma once
// Console text: PRINT, INPUT, LOCATE and the number-format statements
// DECIMALS, STRWIDTH, NUMWIDTH, with the variables INPUT fills.

namespace vestil {

struct Runtime;

void RegisterTextConsole(Runtime& rt);

}  // namespace vestil
