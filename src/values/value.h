#pragma once
// The value model: type codes, the ResultRegisters and the parameter slots.
#include <cstdint>
#include <string_view>

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

// Text views of numbers: decimal digits right-aligned in width; a float as
// fixed-point text with `decimals` places (scientific notation when negative).
ShortString FormatInteger(int32_t v, int width);
ShortString FormatFloat(double v, int decimals, int width);

// The one value holder of the process. Each evaluation overwrites it; a view
// that an evaluation does not fill keeps what the previous one left. The text
// view of a number is formatted only when somebody reads it.
class ResultRegisters {
 public:
  uint8_t type = kTypeNone;
  int32_t i = 0;
  int32_t l = 0;
  double f = 0.0;

  const ShortString& text() const {
    if (pending_ != kNone) Materialize();
    return text_;
  }
  ShortString& mutable_text() {
    if (pending_ != kNone) Materialize();
    return text_;
  }
  void set_text(std::string_view v) {
    pending_ = kNone;
    text_.assign(v);
  }
  void set_text_integer(int32_t v, int width) {
    pending_ = kInt;
    pending_int_ = v;
    pending_width_ = width;
  }
  // A text that stays where it is for the rest of the run (a decoded
  // literal): it is copied only when read.
  void set_text_stable(std::string_view v) {
    pending_ = kView;
    pending_view_ = v;
  }
  void set_text_float(double v, int decimals, int width) {
    pending_ = kFloat;
    pending_float_ = v;
    pending_decimals_ = decimals;
    pending_width_ = width;
  }

  SlotValue Views() const { return SlotValue{i, l, f, text()}; }
  void SetViews(const SlotValue& v) {
    i = v.i;
    l = v.l;
    f = v.f;
    set_text(v.text);
  }

 private:
  enum Pending : uint8_t { kNone, kInt, kFloat, kView };
  void Materialize() const {
    if (pending_ == kView) text_.assign(pending_view_);
    else if (pending_ == kInt) text_ = FormatInteger(pending_int_, pending_width_);
    else text_ = FormatFloat(pending_float_, pending_decimals_, pending_width_);
    pending_ = kNone;
  }
  mutable Pending pending_ = kNone;
  int32_t pending_int_ = 0;
  int pending_width_ = 0;
  int pending_decimals_ = 0;
  double pending_float_ = 0.0;
  std::string_view pending_view_;
  mutable ShortString text_;
};

}  // namespace vestil
