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

// A resource name as written: decimal digits alone (at most 65535) name the
// resource of that number, as for the bitmap statements (gui::ResourceNumber).
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
