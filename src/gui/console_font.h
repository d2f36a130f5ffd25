#pragma once
// The console font index (TextFontIndex) and the FONT statement that sets it.

namespace vestil {

struct Runtime;

void RegisterConsoleFont(Runtime& rt);

}  // namespace vestil
