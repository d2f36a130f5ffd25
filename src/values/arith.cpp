// Arithmetic, comparison, logic and mathematical functions. Each two-argument
// function computes its long view from the operands' long views (32-bit,
// wrapping) and its float view from the operands' float views, rounded to the
// 48-bit real format and combined in extended precision.
#include <cmath>
#include <cstdint>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "values/dispatch.h"
#include "values/eval.h"
#include "values/real48.h"

namespace vestil {
namespace {

using Fn = FunctionHandler;

// The float view of the ResultRegisters as a 48-bit real; a magnitude beyond
// the format fails with message 200.
Extended Real(Runtime& rt, double f) {
  // Whole numbers of up to 39 bits pass the format unchanged.
  if (f >= -549755813888.0 && f <= 549755813888.0) {
    const int64_t n = static_cast<int64_t>(f);
    if (static_cast<double>(n) == f) return static_cast<Extended>(n);
  }
  Extended r;
  if (!ToReal48(f, r)) RuntimeError(rt, msg::kInvalidFunctionValue, "");
  return r;
}

// Stores a float result: the float view and the long view by the float-to-long
// rule. Results beyond the 48-bit range fail with 200.
void FloatResult(Runtime& rt, Extended v) {
  auto& rr = rt.eval.rr;
  Extended r;
  if (std::isnan(v) || !ToReal48(v, r)) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    v = 0;
  }
  rr.f = static_cast<double>(v);
  rr.l = FloatToLong(v);
  rr.type = kTypeFloat;
}

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }
int32_t S(uint32_t v) { return static_cast<int32_t>(v); }

// Evaluates the first operand and keeps it in the call context.
void First(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kAnyType);
  ctx.scratch_int[0] = rt.eval.rr.l;
  ctx.scratch_real[0] = Real(rt, rt.eval.rr.f);
}
void Second(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  ctx.scratch_int[1] = rt.eval.rr.l;
  ctx.scratch_real[1] = Real(rt, rt.eval.rr.f);
}

int32_t Quotient(int32_t a, int32_t b) {
  if (a == INT32_MIN && b == -1) return INT32_MIN;
  return a / b;
}
int32_t Remainder(int32_t a, int32_t b) {
  if (b == -1) return 0;
  return a % b;
}

void Arith(Runtime& rt, CallContext& ctx, char op) {
  First(rt, ctx);
  Second(rt, ctx);
  auto& rr = rt.eval.rr;
  const int32_t a = ctx.scratch_int[0], b = ctx.scratch_int[1];
  const Extended x = ctx.scratch_real[0], y = ctx.scratch_real[1];
  Extended f = 0;
  switch (op) {
    case '+': rr.l = S(U(a) + U(b)); f = x + y; break;
    case '-': rr.l = S(U(a) - U(b)); f = x - y; break;
    case '*': rr.l = S(U(a) * U(b)); f = x * y; break;
    case '/':
      rr.l = b != 0 ? Quotient(a, b) : 0;
      if (y == 0) {
        RuntimeError(rt, msg::kDivisionByZero, "");
        f = 0;
      } else {
        f = x / y;
      }
      break;
  }
  rr.f = static_cast<double>(f);
  rr.type = kTypeFloat;
  ctx.handled = true;
}

}  // namespace

namespace {

void Add(Runtime& rt, CallContext& c) { Arith(rt, c, '+'); }
void Sub(Runtime& rt, CallContext& c) { Arith(rt, c, '-'); }
void Mul(Runtime& rt, CallContext& c) { Arith(rt, c, '*'); }
void Div(Runtime& rt, CallContext& c) { Arith(rt, c, '/'); }

void IntegerOp(Runtime& rt, CallContext& ctx, char op) {
  EvalArg(rt, ',', kAnyType);
  const int32_t a = rt.eval.rr.l;
  EvalArg(rt, ')', kAnyType);
  const int32_t b = rt.eval.rr.l;
  auto& rr = rt.eval.rr;
  switch (op) {
    case '\\':
      rr.type = kTypeLong;
      if (b == 0) {
        RuntimeError(rt, msg::kDivisionByZero, "");
        rr.l = 0;
      } else {
        rr.l = Quotient(a, b);
      }
      break;
    case '%':
      rr.type = kTypeFloat;
      if (b == 0) {
        RuntimeError(rt, msg::kDivisionByZero, "");
        rr.l = 0;
      } else {
        rr.l = Remainder(a, b);
      }
      break;
    case '&': rr.type = kTypeLong; rr.l = a & b; break;
    case '|': rr.type = kTypeFloat; rr.l = a | b; break;
    case '^': rr.type = kTypeFloat; rr.l = a ^ b; break;
  }
  rr.f = rr.l;
  ctx.handled = true;
}

void IDiv(Runtime& rt, CallContext& c) { IntegerOp(rt, c, '\\'); }
void Mod(Runtime& rt, CallContext& c) { IntegerOp(rt, c, '%'); }
void And(Runtime& rt, CallContext& c) { IntegerOp(rt, c, '&'); }
void Or(Runtime& rt, CallContext& c) { IntegerOp(rt, c, '|'); }
void Xor(Runtime& rt, CallContext& c) { IntegerOp(rt, c, '^'); }

void Truth(Runtime& rt, bool v) {
  auto& rr = rt.eval.rr;
  rr.l = v ? 1 : 0;
  rr.f = rr.l;
  rr.type = kTypeInteger;
}

// Numeric comparison: the difference of the two 48-bit reals, computed in
// extended precision and stored as a double, compared with 0.
void Compare(Runtime& rt, CallContext& ctx, int want) {
  First(rt, ctx);
  Second(rt, ctx);
  double d = static_cast<double>(ctx.scratch_real[0] - ctx.scratch_real[1]);
  bool v = false;
  switch (want) {
    case 0: v = d == 0; break;
    case 1: v = d != 0; break;
    case 2: v = d > 0; break;
    case 3: v = d < 0; break;
  }
  Truth(rt, v);
  ctx.handled = true;
}
void Equ(Runtime& rt, CallContext& c) { Compare(rt, c, 0); }
void Neq(Runtime& rt, CallContext& c) { Compare(rt, c, 1); }
void Gt(Runtime& rt, CallContext& c) { Compare(rt, c, 2); }
void Lt(Runtime& rt, CallContext& c) { Compare(rt, c, 3); }

// Text comparison: byte-wise by unsigned codes; a prefix sorts first.
void CompareText(Runtime& rt, CallContext& ctx, int want) {
  EvalArg(rt, ',', kAnyType);
  ShortString a = rt.eval.rr.text();
  EvalArg(rt, ')', kAnyType);
  std::string_view b = rt.eval.rr.text().view();
  int c = a.view().compare(b);  // char_traits<char>::compare orders as unsigned char
  bool v = false;
  switch (want) {
    case 0: v = c == 0; break;
    case 1: v = c != 0; break;
    case 2: v = c < 0; break;
    case 3: v = c > 0; break;
  }
  Truth(rt, v);
  ctx.handled = true;
}
void EquText(Runtime& rt, CallContext& c) { CompareText(rt, c, 0); }
void NeqText(Runtime& rt, CallContext& c) { CompareText(rt, c, 1); }
void LtText(Runtime& rt, CallContext& c) { CompareText(rt, c, 2); }
void GtText(Runtime& rt, CallContext& c) { CompareText(rt, c, 3); }

Extended UnaryArg(Runtime& rt) {
  EvalArg(rt, ')', kAnyType);
  return Real(rt, rt.eval.rr.f);
}

constexpr Extended kTrigLimit = 9223372036854775808.0L;  // 2^63

void Sqr(Runtime& rt, CallContext& c) { Extended x = UnaryArg(rt); FloatResult(rt, x * x); c.handled = true; }
void Sqrt(Runtime& rt, CallContext& c) {
  Extended x = UnaryArg(rt);
  if (x < 0) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    x = 0;
  }
  FloatResult(rt, std::sqrt(x));
  c.handled = true;
}
void Cos(Runtime& rt, CallContext& c) {
  Extended x = UnaryArg(rt);
  FloatResult(rt, std::fabs(x) < kTrigLimit ? std::cos(x) : 0);
  c.handled = true;
}
void Sin(Runtime& rt, CallContext& c) {
  Extended x = UnaryArg(rt);
  FloatResult(rt, std::fabs(x) < kTrigLimit ? std::sin(x) : 0);
  c.handled = true;
}
void TanCot(Runtime& rt, CallContext& c, bool tan) {
  Extended x = UnaryArg(rt);
  Extended s = 0, co = 0;
  if (std::fabs(x) < kTrigLimit) {
    s = std::sin(x);
    co = std::cos(x);
  }
  Extended num = tan ? s : co, den = tan ? co : s;
  if (den == 0) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    FloatResult(rt, 0);
  } else {
    FloatResult(rt, num / den);
  }
  c.handled = true;
}
void Tan(Runtime& rt, CallContext& c) { TanCot(rt, c, true); }
void Cot(Runtime& rt, CallContext& c) { TanCot(rt, c, false); }
void ArcTan(Runtime& rt, CallContext& c) { FloatResult(rt, std::atan(UnaryArg(rt))); c.handled = true; }
void Exp(Runtime& rt, CallContext& c) { FloatResult(rt, std::exp(UnaryArg(rt))); c.handled = true; }
void LogFn(Runtime& rt, CallContext& c, bool decimal) {
  Extended x = UnaryArg(rt);
  if (!(x > 0)) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    FloatResult(rt, 0);
  } else {
    FloatResult(rt, decimal ? std::log(x) / std::log(10.0L) : std::log(x));
  }
  c.handled = true;
}
void Ln(Runtime& rt, CallContext& c) { LogFn(rt, c, false); }
void Log(Runtime& rt, CallContext& c) { LogFn(rt, c, true); }
void Power(Runtime& rt, CallContext& ctx) {
  First(rt, ctx);
  Second(rt, ctx);
  Extended a = ctx.scratch_real[0], b = ctx.scratch_real[1];
  if (!(a > 0)) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    FloatResult(rt, 0);
  } else {
    FloatResult(rt, std::exp(b * std::log(a)));
  }
  ctx.handled = true;
}
void Pi(Runtime& rt, CallContext& c) {
  auto& rr = rt.eval.rr;
  rr.f = 3.141592653589793;
  rr.l = FloatToLong(rr.f);
  rr.type = kTypeFloat;
  c.handled = true;
}
void Int(Runtime& rt, CallContext& c) {
  EvalArg(rt, ')', kAnyType);
  auto& rr = rt.eval.rr;
  rr.l = FloatToLong(rr.f);
  rr.f = rr.l;
  rr.type = kTypeLong;
  c.handled = true;
}

// Rounds to the nearest integer, halfway cases to even.
Extended RoundEven(Extended t) {
  Extended r = std::floor(t);
  Extended diff = t - r;
  if (diff > 0.5L || (diff == 0.5L && std::fmod(r, 2.0L) != 0)) r += 1;
  return r;
}

void Round(Runtime& rt, CallContext& ctx) {
  First(rt, ctx);
  EvalArg(rt, ')', kAnyType);
  Extended n = Real(rt, rt.eval.rr.f);
  Extended f, t;
  if (!ToReal48(std::exp(n * std::log(10.0L)), f) || !ToReal48(ctx.scratch_real[0] * f, t) || f == 0) {
    RuntimeError(rt, msg::kInvalidFunctionValue, "");
    FloatResult(rt, 0);
  } else {
    FloatResult(rt, RoundEven(t) / f);
  }
  ctx.handled = true;
}

void Rnd(Runtime& rt, CallContext& c) {
  EvalArg(rt, ')', kAnyType);
  auto& rr = rt.eval.rr;
  uint32_t n = static_cast<uint32_t>(rr.l);
  rt.random_seed = rt.random_seed * 134775813u + 1u;
  uint32_t r = static_cast<uint32_t>((static_cast<uint64_t>(rt.random_seed) * n) >> 32);
  rr.l = static_cast<int32_t>(r);
  rr.f = static_cast<int16_t>(r & 0xffff);
  rr.type = kTypeFloat;
  c.handled = true;
}

void Not(Runtime& rt, CallContext& c) {
  EvalArg(rt, ')', kAnyType);
  auto& rr = rt.eval.rr;
  rr.l = rr.l == 0 ? 1 : 0;
  rr.f = rr.l;
  rr.type = kTypeLong;
  c.handled = true;
}
void Abs(Runtime& rt, CallContext& c) {
  EvalArg(rt, ')', kAnyType);
  auto& rr = rt.eval.rr;
  rr.l = rr.l < 0 ? S(0u - U(rr.l)) : rr.l;
  rr.f = std::fabs(rr.f);
  rr.type = kTypeFloat;
  c.handled = true;
}

void If(Runtime& rt, CallContext& c) {
  auto& rr = rt.eval.rr;
  EvalArg(rt, ',', kAnyType);
  const int32_t cond = rr.i;
  EvalArg(rt, ',', kAnyType);
  const SlotValue first = rr.Views();
  EvalArg(rt, ')', kAnyType);
  if (cond != 0) {
    rr.SetViews(first);
    rr.i = first.l;
  }
  rr.type = kTypeString;
  c.handled = true;
}

}  // namespace

void RegisterArithmeticFunctions(Runtime& rt) {
  auto& t = rt.eval.functions;
  t[fn::kAdd] = Add; t[fn::kSub] = Sub; t[fn::kMul] = Mul; t[fn::kDiv] = Div;
  t[fn::kIDiv] = IDiv; t[fn::kMod] = Mod; t[fn::kAnd] = And; t[fn::kOr] = Or; t[fn::kXor] = Xor;
  t[fn::kNeq] = Neq; t[fn::kEqu] = Equ; t[fn::kGt] = Gt; t[fn::kLt] = Lt;
  for (uint8_t f : {fn::kAdd, fn::kSub, fn::kMul, fn::kNeq, fn::kEqu, fn::kGt, fn::kLt}) rt.eval.fused[f] = kFusedArithmetic;
  t[fn::kEquText] = EquText; t[fn::kNeqText] = NeqText; t[fn::kLtText] = LtText; t[fn::kGtText] = GtText;
  t[fn::kSqr] = Sqr; t[fn::kSqrt] = Sqrt;
  t[fn::kCos] = Cos; t[fn::kSin] = Sin; t[fn::kTan] = Tan; t[fn::kCot] = Cot;
  t[fn::kArcTan] = ArcTan; t[fn::kExp] = Exp; t[fn::kLn] = Ln; t[fn::kLog] = Log; t[fn::kPower] = Power;
  t[fn::kPi] = Pi; t[fn::kInt] = Int; t[fn::kRound] = Round; t[fn::kRnd] = Rnd;
  t[fn::kNot] = Not; t[fn::kAbs] = Abs; t[fn::kIf] = If;
}

}  // namespace vestil
