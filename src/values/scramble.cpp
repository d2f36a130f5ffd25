// Keyed text scrambling: SCRAMBLEKEY and @SCRAMBLE$.
#include "base/tokens.h"
#include "core/runtime.h"
#include "values/convert.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

ShortString MakeScrambleKey(std::string_view key) {
  ShortString out;
  if (key.empty()) return out;
  std::string converted(key);
  for (auto& c : converted) c = static_cast<char>((Byte(c) << 6) & 0xff);
  while (out.size() < ShortString::kMax) out.append(converted);
  return out;
}

ShortString Scramble(std::string_view text, const ShortString& key) {
  ShortString out(text);
  if (key.size() != ShortString::kMax) return out;
  for (size_t i = 0; i < out.size(); ++i) {
    uint8_t c = out.byte(i);
    uint8_t k = key.byte(ShortString::kMax - 1 - i);  // from the last byte backwards
    out[i] = static_cast<char>((c & 0x3f) | ((c ^ k) & 0xc0));
  }
  return out;
}

namespace {

void ScrambleKeyStatement(Runtime& rt) {
  EvalArg(rt, kRest, kFileNameDemand);
  rt.conversion.scramble_key = MakeScrambleKey(rt.eval.rr.text());
  rt.loop.statement_handled = true;
}

void ScrambleFunction(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  rt.eval.rr.set_text(Scramble(rt.eval.rr.text(), rt.conversion.scramble_key));
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

}  // namespace

void RegisterScrambling(Runtime& rt) {
  rt.statements[cmd::kScrambleKey] = ScrambleKeyStatement;
  rt.eval.functions[fn::kScramble] = ScrambleFunction;
}

}  // namespace vestil
