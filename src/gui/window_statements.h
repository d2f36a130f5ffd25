#pragma once
// The state of the script window's model in the Runtime, and the window
// statements that need no platform call beyond the screen seam (WINDOWTITLE,
// COLOR).
#include "core/runtime.h"
#include "gui/window_model.h"

namespace vestil {

// The gui family's slot: the event record, the text grid and the window's
// settings. The platform window works on this model (the host is handed it
// after the assembly); the console runner leaves it unused.
struct GuiState : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kGui;
  gui::WindowModel model;
};

void RegisterWindowStatements(Runtime& rt);

}  // namespace vestil
