// The system variables: kind character plus SysVarToken. Each family
// registers the handlers of its own variables; ReadSystemVariable looks them
// up and normalises the views.
#include <string>

#include "core/dialog_list.h"
#include "core/errors.h"
#include "base/tokens.h"
#include "base/version.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

std::string VersionText(unsigned a, unsigned b) { return std::to_string(a) + "." + std::to_string(b); }

// Variables whose subsystem is still to come read 0 (or the empty text).
void NotYetBuilt(Runtime&, uint8_t) {}
void EmptyText(Runtime& rt, uint8_t) { rt.eval.rr.set_text(""); }
void PumpThenZero(Runtime& rt, uint8_t) { rt.host.screen->PumpMessages(); }

void DialogResult(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.dialog_list.dialog_result; }
void ListLast(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.dialog_list.last; }
void InputInt(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.console.input_int; }
void InputLong(Runtime& rt, uint8_t) { rt.eval.rr.l = rt.console.input_long; }
void InputFloat(Runtime& rt, uint8_t) { rt.eval.rr.f = rt.console.input_float; }
void InputText(Runtime& rt, uint8_t) { rt.eval.rr.set_text(rt.console.input_text); }
void CommandCode(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.events.command_code ? *rt.events.command_code : 0; }
void MciError(Runtime& rt, uint8_t) { rt.eval.rr.l = rt.system.mci_error; }
void ErrorKind(Runtime& rt, uint8_t) {  // read and cleared
  rt.eval.rr.i = rt.errors.last_error_kind;
  rt.errors.last_error_kind = 0;
}
void ErrorNumber(Runtime& rt, uint8_t) { rt.eval.rr.l = rt.errors.last_error_number; }
void Drive(Runtime& rt, uint8_t) { rt.eval.rr.set_text(rt.host.files->CurrentDirectory().substr(0, 2)); }
void WindowsDir(Runtime& rt, uint8_t) { rt.eval.rr.set_text(rt.host.system->WindowsDirectory().substr(0, 150)); }
void SystemDir(Runtime& rt, uint8_t) { rt.eval.rr.set_text(rt.host.system->SystemDirectory().substr(0, 150)); }
void PlatformVer(Runtime& rt, uint8_t) {
  const uint32_t v = rt.host.system->PlatformVersion();
  rt.eval.rr.l = static_cast<int32_t>(v);
  rt.eval.rr.set_text(VersionText((v >> 24) & 0xff, (v >> 16) & 0xff));
}
void WinVer(Runtime& rt, uint8_t) {
  const uint32_t v = rt.host.system->WindowsVersion();
  rt.eval.rr.l = static_cast<int32_t>(v);
  rt.eval.rr.set_text(VersionText(v & 0xff, (v >> 8) & 0xff));
}
void Focus(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.screen->FocusHandle(); }
void ScreenWidth(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.screen->ScreenWidth(); }
void ScreenHeight(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.screen->ScreenHeight(); }
void Desktop(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.screen->DesktopHandle(); }
void ParCount(Runtime& rt, uint8_t) {
  rt.eval.rr.i = static_cast<int32_t>(rt.host.system->Arguments().size()) - 1;
}
void ColorBits(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.screen->ColorBits(); }
void One(Runtime& rt, uint8_t) { rt.eval.rr.i = 1; }
void Ticks(Runtime& rt, uint8_t) { rt.eval.rr.l = static_cast<int32_t>(rt.host.system->TickCount()); }
void Version(Runtime& rt, uint8_t) { rt.eval.rr.set_text(kRuntimeVersion); }
void Instance(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.host.system->InstanceHandle(); }

}  // namespace

void ReadSystemVariable(Runtime& rt, const ShortString& element) {
  auto& rr = rt.eval.rr;
  rr.i = rr.l = 0;
  rr.f = 0.0;
  const uint8_t token = element.size() > 1 ? element.byte(1) : 0;
  bool found = false;
  if (SystemVariableHandler h = rt.eval.system_variables[token]) {
    h(rt, token);
    found = true;
  } else if (!element.empty() && element[0] == '$') {
    // "$" and hexadecimal digits read as a number.
    int32_t v = 0;
    if (TextToInt(element, v)) {
      rr.i = rr.l = v;
      rr.set_text(std::to_string(v));
      found = true;
    }
  }
  if (rr.l == 0) rr.l = rr.i;
  if (rr.i == 0) rr.i = rr.l;
  if (rr.f == 0.0) rr.f = rr.l;
  if (!found) RuntimeError(rt, msg::kUnknownSystemVariable, "");
}

void RegisterSystemVariables(Runtime& rt) {
  auto& v = rt.eval.system_variables;
  v[sv::kDlgResult] = DialogResult;
  v[sv::kInputInt] = InputInt;
  v[sv::kInputLong] = InputLong;
  v[sv::kInputFloat] = InputFloat;
  v[sv::kInputText] = InputText;
  v[sv::kListLast] = ListLast;
  v[sv::kInputDlg] = EmptyText;
  v[sv::kChosen] = EmptyText;
  v[sv::kMouseX] = NotYetBuilt;
  v[sv::kMouseY] = NotYetBuilt;
  v[sv::kMouseKey] = PumpThenZero;
  v[sv::kCommand] = CommandCode;
  v[sv::kMciError] = MciError;
  v[sv::kWaitResult] = NotYetBuilt;
  v[sv::kVKey] = NotYetBuilt;
  v[sv::kTargetDc] = NotYetBuilt;
  v[sv::kShadowDc] = NotYetBuilt;
  v[sv::kHwnd] = NotYetBuilt;
  v[sv::kErrorKind] = ErrorKind;
  v[sv::kDrive] = Drive;
  v[sv::kListIndex] = NotYetBuilt;
  v[sv::kWinDir] = WindowsDir;
  v[sv::kSysDir] = SystemDir;
  v[sv::kPlatformVer] = PlatformVer;
  v[sv::kWinVer] = WinVer;
  v[sv::kWinTop] = NotYetBuilt;
  v[sv::kWinBottom] = NotYetBuilt;
  v[sv::kWinLeft] = NotYetBuilt;
  v[sv::kWinRight] = NotYetBuilt;
  v[sv::kFocus] = Focus;
  v[sv::kScreenWidth] = ScreenWidth;
  v[sv::kScreenHeight] = ScreenHeight;
  v[sv::kDesktop] = Desktop;
  v[sv::kParCount] = ParCount;
  v[sv::kActivity] = NotYetBuilt;
  v[sv::kMouseButtons] = NotYetBuilt;
  v[sv::kLastMessage] = NotYetBuilt;
  v[sv::kSqlCount] = NotYetBuilt;
  v[sv::kBmpWidth] = NotYetBuilt;
  v[sv::kBmpHeight] = NotYetBuilt;
  v[sv::kErrorNumber] = ErrorNumber;
  v[sv::kColorBits] = ColorBits;
  v[sv::kRecValue] = NotYetBuilt;
  v[sv::kFont] = NotYetBuilt;
  v[sv::kOne] = One;
  v[sv::kTicks] = Ticks;
  v[sv::kPartner] = NotYetBuilt;
  v[sv::kVersion] = Version;
  v[sv::kZero] = NotYetBuilt;
  v[sv::kInstance] = Instance;
  v[sv::kTimer] = NotYetBuilt;
  v[sv::kRepaint] = NotYetBuilt;
}

}  // namespace vestil
