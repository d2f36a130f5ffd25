#pragma once
// The value model: type codes, the ResultRegisters and the parameter slots.
#include <cstdint>

#include "core/shortstring.h"

namespace vestil {

enum TypeCode : uint8_t {
  kTypeNone = 0,
  kTypeString = 1,
  kTypeInteger = 2,
  kTypeLong = 3,
  kTypeFloat = 4,
};

// The four views of a value as a parameter slot keeps them.
struct SlotValue {
  int32_t i = 0;
  int32_t l = 0;
  double f = 0.0;
  ShortString text;
};

// The one value holder of the process. Each evaluation overwrites it; a view
// that an evaluation does not fill keeps what the previous one left.
struct ResultRegisters {
  uint8_t type = kTypeNone;
  int32_t i = 0;
  int32_t l = 0;
  double f = 0.0;
  ShortString text;  // the text view (ArgToken for text values)

  SlotValue Views() const { return SlotValue{i, l, f, text}; }
  void SetViews(const SlotValue& v) {
    i = v.i;
    l = v.l;
    f = v.f;
    text = v.text;
  }
};

}  // namespace vestil
