#pragma once
// The console font index (TextFontIndex) and the FONT statement that sets it.

namespace vestil {

struct Runtime;

constexpr int kInitialTextFontIndex = 2;
// Font index 1 is the OEM fixed font: texts of the dBase engine then cross
// the OEM code page.
constexpr int kOemFontIndex = 1;

void RegisterConsoleFont(Runtime& rt);

}  // namespace vestil
