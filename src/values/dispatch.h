#pragma once
// Function dispatch and system variables.
#include <cstdint>
#include <string_view>

#include "base/tokens.h"
#include "core/shortstring.h"
#include "values/real48.h"
#include "values/value.h"

namespace vestil {

struct Runtime;

// The per-call record shared with the handler it runs.
struct CallContext {
  uint8_t token = 0;
  bool handled = false;
  Extended scratch_real[2] = {0, 0};
  int32_t scratch_int[2] = {0, 0};
};

// Runs the function named by the token; EvalArg has removed "@" and the token.
void DispatchFunction(Runtime& rt, uint8_t token);
// Fills the views for the system variable in `element` (kind char + token).
void ReadSystemVariable(Runtime& rt, const ShortString& element);

// User-declared functions may call each other as deep as the machine stack
// allows; a runaway recursion must end with an error, not with a crashed
// process. Nested calls may use this much of the stack (the runners have 8 MB
// on Linux and 16 MB on Windows).
constexpr uintptr_t kCallStackBudget = 3u << 20;
// False when the machine stack has no room for one more nested call.
[[gnu::always_inline]] inline bool CallStackLeft(uintptr_t stack_base) {
  const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  return !(stack_base > here && stack_base - here > kCallStackBudget);
}
// Calls a decoded line computes at once when their operands are whole-number
// leaves of the line (literals, integer and long variables).
enum FusedKind : uint8_t {
  kNotFused = 0,
  kFusedArithmetic,  // two operands: FusedArithmetic
  kFusedArrayInt,    // @ARRAY%(i) and @ARRAY&(i) within their bounds
  kFusedArrayLong,
};

// The result of the arithmetic or comparison function `token` (marked
// kFusedArithmetic in EvalState::fused) of two whole numbers (long views a, b; float views fa,
// fb, exact in the 48-bit format), with the views normalised as the
// dispatcher leaves them, the text view aside. The handlers give the same.
// Sums and differences of whole numbers below 2^39 are exact in a double, as
// they are in extended precision; products are rounded as the handler rounds
// them.
// The same as a type code and the long and float views (the integer view is
// the long view).
[[gnu::always_inline]] inline uint8_t FusedValue(uint8_t token, int32_t a, double fa, int32_t b, double fb,
                                                 int32_t& l, double& f) {
  const auto wrap = [](uint32_t v) { return static_cast<int32_t>(v); };
  const uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
  switch (token) {
    case fn::kAdd: l = wrap(ua + ub); f = fa + fb; return kTypeFloat;
    case fn::kSub: l = wrap(ua - ub); f = fa - fb; return kTypeFloat;
    case fn::kMul:
      l = wrap(ua * ub);
      f = static_cast<double>(static_cast<Extended>(fa) * static_cast<Extended>(fb));
      return kTypeFloat;
    case fn::kEqu: l = fa - fb == 0 ? 1 : 0; break;
    case fn::kNeq: l = fa - fb != 0 ? 1 : 0; break;
    case fn::kGt: l = fa - fb > 0 ? 1 : 0; break;
    default: l = fa - fb < 0 ? 1 : 0; break;  // fn::kLt
  }
  f = l;
  return kTypeInteger;
}

inline void FusedArithmetic(uint8_t token, int32_t a, double fa, int32_t b, double fb, ResultRegisters& rr) {
  int32_t l;
  double f;
  rr.type = FusedValue(token, a, fa, b, fb, l, f);
  rr.l = rr.i = l;
  rr.f = f;
}


// A text result (type code 1) of a function handler.
void TextResult(Runtime& rt, CallContext& ctx, std::string_view v);
// A number result in the long view with its type code (2 integer, 3 long).
void NumberResult(Runtime& rt, CallContext& ctx, int32_t v, uint8_t type);

// The handler of a built-in function that a later piece of work builds.
void FunctionNotImplemented(Runtime& rt, CallContext& ctx);

// Registration of the built-in functions, one call per family.
void RegisterArithmeticFunctions(Runtime& rt);
void RegisterTextFunctions(Runtime& rt);
// The system variables of the interpreter and the host.
void RegisterSystemVariables(Runtime& rt);

}  // namespace vestil
