// Colour values and the functions that reach the operating system.
#include "values/system_functions.h"

#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr size_t kMaxEnvironmentValue = 254;
constexpr size_t kMciReplySize = 255;  // bytes of the reply buffer, its NUL included

int32_t NumberArg(Runtime& rt, char terminator, int demand = kAnyType) {
  EvalArg(rt, terminator, demand);
  return rt.eval.rr.i;
}

ShortString TextArg(Runtime& rt, char terminator, int demand) {
  EvalArg(rt, terminator, demand);
  return rt.eval.rr.text();
}

// --- colours ------------------------------------------------------------------

// Components above the mode's maximum are capped; negative ones are taken as
// they are and may borrow from the next component (32-bit wrap-around).
void Rgb(Runtime& rt, CallContext& ctx) {
  int32_t c[3];
  c[0] = NumberArg(rt, ',', kNumberDemand);
  c[1] = NumberArg(rt, ',', kNumberDemand);
  c[2] = NumberArg(rt, ')', kNumberDemand);
  const bool full = rt.system.true_color_mode;
  const int32_t max = full ? 255 : 31;
  const uint32_t step = full ? 256 : 32;
  uint32_t v = 0, weight = 1;
  for (int32_t k : c) {
    if (k > max) k = max;
    v += static_cast<uint32_t>(k) * weight;
    weight *= step;
  }
  NumberResult(rt, ctx, static_cast<int32_t>(v), kTypeInteger);
}

// Component n (0 red, 1 green, 2 blue) of a colour in the current mode.
void Component(Runtime& rt, CallContext& ctx, int n) {
  const uint32_t c = static_cast<uint32_t>(NumberArg(rt, ')'));
  const bool full = rt.system.true_color_mode;
  const uint32_t bits = full ? 8 : 5;
  NumberResult(rt, ctx, static_cast<int32_t>((c >> (bits * n)) & ((1u << bits) - 1)), kTypeInteger);
}

void GetRed(Runtime& rt, CallContext& ctx) { Component(rt, ctx, 0); }
void GetGreen(Runtime& rt, CallContext& ctx) { Component(rt, ctx, 1); }
void GetBlue(Runtime& rt, CallContext& ctx) { Component(rt, ctx, 2); }

void TrueColor(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  rt.system.true_color_mode = rt.eval.rr.i != 0;
  rt.loop.statement_handled = true;
}

// --- command line and environment ------------------------------------------------

// Parameter 0 is the runtime's own path. A negative number names no
// parameter and gives the empty text.
void Par(Runtime& rt, CallContext& ctx) {
  const int32_t n = NumberArg(rt, ')');
  const auto& args = rt.host.system->Arguments();
  if (n >= static_cast<int32_t>(args.size())) {
    RuntimeError(rt, msg::kCommandLineParameterMissing, "");
    return TextResult(rt, ctx, "");
  }
  TextResult(rt, ctx, n < 0 ? std::string() : args[static_cast<size_t>(n)]);
}

void GetEnv(Runtime& rt, CallContext& ctx) {
  ShortString name = TextArg(rt, ')', kTextDemand);
  std::string value = name.empty() ? std::string() : rt.host.system->EnvironmentValue(name);
  if (value.size() > kMaxEnvironmentValue) value.resize(kMaxEnvironmentValue);
  TextResult(rt, ctx, value);
}

// --- programs and multimedia -------------------------------------------------------

void ExecWait(Runtime& rt, CallContext& ctx) {
  ShortString command = TextArg(rt, ',', kFileNameDemand);
  int32_t show = NumberArg(rt, ')');
  if (show < 0 || show > 9) show = 0;
  NumberResult(rt, ctx, rt.host.system->StartProgramAndWait(command, show) ? 1 : 0, kTypeInteger);
}

void WinExec(Runtime& rt, CallContext& ctx) {
  ShortString command = TextArg(rt, ',', kFileNameDemand);
  const int32_t show = NumberArg(rt, ')');
  NumberResult(rt, ctx, rt.host.system->StartProgram(command, show), kTypeLong);
}

void MciSend(Runtime& rt, CallContext& ctx) {
  ShortString command = TextArg(rt, ')', kFileNameDemand);
  std::string reply;
  rt.system.mci_error = static_cast<int32_t>(rt.host.sound->MciCommand(command, reply));
  if (reply.size() > kMciReplySize - 1) reply.resize(kMciReplySize - 1);
  // A reply ends at its first NUL, as the platform's buffer does.
  size_t nul = reply.find('\0');
  if (nul != std::string::npos) reply.resize(nul);
  TextResult(rt, ctx, reply);
}

void Nop(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  NumberResult(rt, ctx, 0, kTypeInteger);
}

}  // namespace

void RegisterSystemFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kRgb] = Rgb; f[fn::kGetRed] = GetRed; f[fn::kGetGreen] = GetGreen; f[fn::kGetBlue] = GetBlue;
  f[fn::kPar] = Par; f[fn::kGetEnv] = GetEnv;
  f[fn::kExecWait] = ExecWait; f[fn::kWinExec] = WinExec; f[fn::kMciSend] = MciSend;
  f[fn::kNop] = Nop;
  rt.statements[cmd::kTrueColor] = TrueColor;
}

}  // namespace vestil
