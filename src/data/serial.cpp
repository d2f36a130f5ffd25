// Serial ports. The script keeps the handles; the family remembers only the
// port opened last, which @COMSETUP configures and whose input queue gives the
// byte count of @COMREAD$, whatever handle the script passes there.
#include "data/serial.h"

#include <algorithm>

#include "base/tokens.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr int32_t kNoPort = -1;
constexpr uint32_t kReadLimit = 255;  // bytes one @COMREAD$ takes at most
constexpr uint32_t kKeepLimit = 0xffff;  // low 16 bits of a limit that is kept

struct SerialFamily : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kSerial;
  int32_t last_port = kNoPort;  // the handle of the last @COMOPEN, -1 when it failed
};

SerialFamily& Serial(Runtime& rt) { return rt.Family<SerialFamily>(); }

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.l;
}

ShortString TextArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.text();
}

void Status(Runtime& rt, CallContext& ctx, bool ok) { NumberResult(rt, ctx, ok ? 0 : -1, kTypeInteger); }

void ComOpen(Runtime& rt, CallContext& ctx) {
  const ShortString name = TextArg(rt, ',');
  const uint32_t in_queue = static_cast<uint32_t>(NumberArg(rt, ','));
  const uint32_t out_queue = static_cast<uint32_t>(NumberArg(rt, ')'));
  const int32_t handle = rt.host.serial->Open(name, in_queue, out_queue);
  Serial(rt).last_port = handle;
  NumberResult(rt, ctx, handle, kTypeLong);
}

// The definition changes the last port's present state; a port that gives
// none (no port open) still has the definition read, and then fails to take it.
void ComSetup(Runtime& rt, CallContext& ctx) {
  const ShortString definition = TextArg(rt, ')');
  const int32_t port = Serial(rt).last_port;
  SerialPorts& serial = *rt.host.serial;
  CommState state;
  if (!serial.GetState(port, state)) state = CommState{};
  Status(rt, ctx, serial.BuildState(definition, state) && serial.SetState(port, state));
}

// The second to fourth arguments are read and not used. -1 keeps the flag
// word, a limit whose low 16 bits are all set keeps that limit. A port whose
// state cannot be read gives -1.
void ComFlags(Runtime& rt, CallContext& ctx) {
  const int32_t handle = NumberArg(rt, ',');
  for (int unused = 0; unused < 3; ++unused) NumberArg(rt, ',');
  const int32_t flags = NumberArg(rt, ',');
  const uint32_t xon = static_cast<uint32_t>(NumberArg(rt, ','));
  const uint32_t xoff = static_cast<uint32_t>(NumberArg(rt, ')'));
  SerialPorts& serial = *rt.host.serial;
  CommState state;
  if (!serial.GetState(handle, state)) return Status(rt, ctx, false);
  if (flags != -1) state.flags = static_cast<uint32_t>(flags);
  if ((xon & kKeepLimit) != kKeepLimit) state.xon_limit = static_cast<uint16_t>(xon);
  if ((xoff & kKeepLimit) != kKeepLimit) state.xoff_limit = static_cast<uint16_t>(xoff);
  Status(rt, ctx, serial.SetState(handle, state));
}

void ComWrite(Runtime& rt, CallContext& ctx) {
  const int32_t handle = NumberArg(rt, ',');
  const ShortString text = TextArg(rt, ')');
  uint32_t written = 0;
  rt.host.serial->Write(handle, text, written);  // a failed write tells what went out before
  NumberResult(rt, ctx, static_cast<int32_t>(written), kTypeLong);
}

void ComRead(Runtime& rt, CallContext& ctx) {
  const int32_t handle = NumberArg(rt, ',');
  const int32_t max = NumberArg(rt, ')');
  SerialPorts& serial = *rt.host.serial;
  uint32_t errors = 0, waiting = 0;
  const int32_t port = Serial(rt).last_port;
  if (port == kNoPort || !serial.ClearError(port, errors, waiting)) waiting = 0;
  const int64_t count = std::min<int64_t>({waiting, max, kReadLimit});
  std::string bytes;
  if (count > 0 && !serial.Read(handle, static_cast<uint32_t>(count), bytes)) bytes.clear();
  // A zero byte ends the text; what follows it has left the port all the same.
  const size_t nul = bytes.find('\0');
  if (nul != std::string::npos) bytes.resize(nul);
  rt.eval.rr.set_text(bytes);
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

void ComError(Runtime& rt, CallContext& ctx) {
  const int32_t handle = NumberArg(rt, ')');
  uint32_t errors = 0, waiting = 0;
  if (!rt.host.serial->ClearError(handle, errors, waiting)) errors = 0;
  NumberResult(rt, ctx, static_cast<int32_t>(errors), kTypeLong);
}

void ComClose(Runtime& rt, CallContext& ctx) {
  const int32_t handle = NumberArg(rt, ')');
  // -1, a failed open, names no port (to Windows it is the process itself).
  Status(rt, ctx, handle != kNoPort && rt.host.serial->Close(handle));
}

}  // namespace

void RegisterSerialPorts(Runtime& rt) {
  rt.InstallFamily<SerialFamily>();
  auto& f = rt.eval.functions;
  f[fn::kComOpen] = ComOpen;
  f[fn::kComSetup] = ComSetup;
  f[fn::kComFlags] = ComFlags;
  f[fn::kComWrite] = ComWrite;
  f[fn::kComRead] = ComRead;
  f[fn::kComError] = ComError;
  f[fn::kComClose] = ComClose;
}

}  // namespace vestil
