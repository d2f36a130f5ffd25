#pragma once
// The control functions: the creation family (@CREATEBUTTON .. @CREATEVSCROLL,
// @CREATEICON, @CREATEDIALOG, @CREATEWINDOW), @LOADDIALOG, and the functions
// that drive controls and windows by handle (@GETDLGITEM .. @DESTROYWINDOW).
// Argument order, control identifiers, classes, styles and the rules of the
// edit kinds are here; the platform work goes to the host's Controls.
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/runtime.h"

namespace vestil {

// Control identifiers are handed out from 1000 on and never reused; the
// icon and the two window kinds take none.
inline constexpr int32_t kFirstControlId = 1000;

struct ControlState {
  int32_t next_control_id = kFirstControlId;  // NextControlId
};

// What a creation function of the family makes: class, style, and the
// height it is made with (the edit kinds take a height of 0 or below as a
// style choice and use its absolute value).
struct ControlKind {
  std::string_view class_name;
  uint32_t style = 0;
  int32_t height = 0;
  bool scroll_bar = false;  // range 0..100, never the script font
  bool multi_line = false;  // the common controls library is loaded first
};
std::optional<ControlKind> KindForToken(uint8_t function_token, int32_t height);

void RegisterControlFunctions(Runtime& rt);

}  // namespace vestil
