#pragma once
// The window statements that need no platform call beyond the screen seam
// (WINDOWTITLE, COLOR).
#include "core/runtime.h"

namespace vestil {

void RegisterWindowStatements(Runtime& rt);

}  // namespace vestil
