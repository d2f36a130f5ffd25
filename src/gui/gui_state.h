#pragma once
// The gui family's state in the Runtime: the script window's model.
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

}  // namespace vestil
