#pragma once
// The gui family's state in the Runtime: the script window's model.
#include "core/runtime.h"
#include "gui/window_model.h"

namespace vestil {

// The gui family's slot: the event record, the text grid and the window's
// settings. The platform window reports into this model through the
// WindowEvents it is handed at the assembly; the console runner has none.
struct GuiState : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kGui;
  gui::WindowModel model;
};

}  // namespace vestil
