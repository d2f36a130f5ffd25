#pragma once
// Icons and the mouse cursor: DRAWICON, DRAWEXTICON, DRAWFILEICON,
// DRAWSYSICON, SETICON, SETCURSOR, SETEXTCURSOR and SHOWCURSOR, over the
// host's Icons. Registered after the drawing statements, whose window
// check they share.
#include <cstdint>
#include <optional>
#include <string_view>

#include "host/icons.h"

namespace vestil {

struct Runtime;

// A resource name as written: a text that converts completely to a number
// names the resource of that number (as a resource number: its low 16 bits).
ImageName ParseImageName(std::string_view text);

// The cursor SETCURSOR n chooses: a system cursor number (IDC_...) or one of
// the runner's cursor resources; none outside 0..13.
struct CursorChoice {
  uint16_t system = 0;           // 0: a resource cursor
  std::string_view resource;     // its name
};
std::optional<CursorChoice> CursorOfNumber(int32_t n);

void RegisterIconStatements(Runtime& rt);

}  // namespace vestil
