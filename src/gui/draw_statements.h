#pragma once
// The drawing statements (SETPIXEL .. ELLIPSE, USEBRUSH, USEPEN, CLS,
// REPAINT) and @GETPIXEL, over the host's Canvas, with the checks the
// graphic statements share.
#include <string_view>

namespace vestil {

struct Runtime;

// RequireWindow: true when there is somewhere to draw (the main window, or
// output redirected to another window); otherwise message 237 and false.
bool RequireWindow(Runtime& rt);
// Console statements are refused while printing: message 221 naming the
// keyword, and true.
bool RefusedWhilePrinting(Runtime& rt, std::string_view keyword);

void RegisterDrawStatements(Runtime& rt);

}  // namespace vestil
