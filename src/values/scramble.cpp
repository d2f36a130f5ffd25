// Keyed text scrambling (SCRAMBLEKEY, @SCRAMBLE$) and hardware port access
// (OUTPORT, OUTPORTW, @INP, @INPW). Ports go through the host: where user
// programs may not reach them, reads give 0 and writes do nothing.
#include "base/tokens.h"
#include "core/runtime.h"
#include "host/host.h"
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

void PortOut(Runtime& rt, bool word) {
  EvalArg(rt, ',', kAnyType);
  const uint16_t port = static_cast<uint16_t>(rt.eval.rr.i);
  EvalArg(rt, kRest, kAnyType);
  const uint16_t value = static_cast<uint16_t>(word ? rt.eval.rr.i : rt.eval.rr.i & 0xff);
  if (rt.host) rt.host->PortOut(port, value, word);
  rt.loop.statement_handled = true;
}

void OutPort(Runtime& rt) { PortOut(rt, false); }
void OutPortW(Runtime& rt) { PortOut(rt, true); }

void PortIn(Runtime& rt, CallContext& ctx, bool word) {
  EvalArg(rt, ')', kAnyType);
  const uint16_t port = static_cast<uint16_t>(rt.eval.rr.i);
  uint32_t v = rt.host ? rt.host->PortIn(port, word) : 0;
  rt.eval.rr.l = static_cast<int32_t>(word ? (v & 0xffff) : (v & 0xff));
  rt.eval.rr.type = kTypeInteger;
  ctx.handled = true;
}

void Inp(Runtime& rt, CallContext& ctx) { PortIn(rt, ctx, false); }
void InpW(Runtime& rt, CallContext& ctx) { PortIn(rt, ctx, true); }

}  // namespace

void RegisterScrambleAndPorts(Runtime& rt) {
  rt.statements[cmd::kScrambleKey] = ScrambleKeyStatement;
  rt.statements[cmd::kOutPort] = OutPort;
  rt.statements[cmd::kOutPortW] = OutPortW;
  rt.eval.functions[fn::kScramble] = ScrambleFunction;
  rt.eval.functions[fn::kInp] = Inp;
  rt.eval.functions[fn::kInpW] = InpW;
}

}  // namespace vestil
