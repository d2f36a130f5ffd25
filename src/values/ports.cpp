// Hardware port access: OUTPORT, OUTPORTW, @INP and @INPW. Ports go through
// the host: where user programs may not reach them, reads give 0 and writes
// do nothing.
#include "values/ports.h"

#include "base/tokens.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

void PortOut(Runtime& rt, bool word) {
  EvalArg(rt, ',', kAnyType);
  const uint16_t port = static_cast<uint16_t>(rt.eval.rr.i);
  EvalArg(rt, kRest, kAnyType);
  const uint16_t value = static_cast<uint16_t>(word ? rt.eval.rr.i : rt.eval.rr.i & 0xff);
  rt.host.ports->PortOut(port, value, word);
  rt.loop.statement_handled = true;
}

void OutPort(Runtime& rt) { PortOut(rt, false); }
void OutPortW(Runtime& rt) { PortOut(rt, true); }

void PortIn(Runtime& rt, CallContext& ctx, bool word) {
  EvalArg(rt, ')', kAnyType);
  const uint16_t port = static_cast<uint16_t>(rt.eval.rr.i);
  uint32_t v = rt.host.ports->PortIn(port, word);
  rt.eval.rr.l = static_cast<int32_t>(word ? (v & 0xffff) : (v & 0xff));
  rt.eval.rr.type = kTypeInteger;
  ctx.handled = true;
}

void Inp(Runtime& rt, CallContext& ctx) { PortIn(rt, ctx, false); }
void InpW(Runtime& rt, CallContext& ctx) { PortIn(rt, ctx, true); }

}  // namespace

void RegisterPorts(Runtime& rt) {
  rt.statements[cmd::kOutPort] = OutPort;
  rt.statements[cmd::kOutPortW] = OutPortW;
  rt.eval.functions[fn::kInp] = Inp;
  rt.eval.functions[fn::kInpW] = InpW;
}

}  // namespace vestil
