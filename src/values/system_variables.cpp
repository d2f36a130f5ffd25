// The system variables: kind character plus SysVarToken. Each family
// registers the handlers of its own variables; ReadSystemVariable looks them
// up and normalises the views.
#include <string>

#include "core/dialog_list.h"
#include "core/errors.h"
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
void CommandCode(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.events.command_code; }
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
void Version(Runtime& rt, uint8_t) { rt.eval.rr.set_text("5.0a-NT"); }
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
  if (!found) RuntimeError(rt, 100, "");
}

void RegisterSystemVariables(Runtime& rt) {
  auto& v = rt.eval.system_variables;
  v[0x81] = DialogResult;   // %DLGRESULT
  v[0x82] = InputInt;       // %INPUTINT
  v[0x83] = InputLong;      // &INPUTLONG
  v[0x84] = InputFloat;     // !INPUTFLOAT
  v[0x85] = InputText;      // $INPUTTEXT
  v[0x86] = ListLast;       // %LISTLAST
  v[0x87] = EmptyText;      // $INPUTDLG
  v[0x88] = EmptyText;      // $CHOSEN
  v[0x89] = NotYetBuilt;    // %MOUSEX
  v[0x8a] = NotYetBuilt;    // %MOUSEY
  v[0x8b] = PumpThenZero;   // %MOUSEKEY
  v[0x8c] = CommandCode;    // %COMMAND
  v[0x8d] = MciError;       // &MCIERROR
  v[0x8e] = NotYetBuilt;    // %WAITRESULT
  v[0x8f] = NotYetBuilt;    // %VKEY
  v[0x90] = NotYetBuilt;    // %TARGETDC
  v[0x91] = NotYetBuilt;    // %SHADOWDC
  v[0x92] = NotYetBuilt;    // %HWND
  v[0x94] = ErrorKind;      // %ERRORKIND
  v[0x95] = Drive;          // $DRIVE
  v[0x96] = NotYetBuilt;    // %LISTINDEX
  v[0x97] = WindowsDir;     // $WINDIR
  v[0x98] = SystemDir;      // $SYSDIR
  v[0x99] = PlatformVer;    // $PLATFORMVER
  v[0x9a] = WinVer;         // $WINVER
  for (int t = 0x9b; t <= 0x9e; ++t) v[t] = NotYetBuilt;  // the window's edges
  v[0x9f] = Focus;          // %FOCUS
  v[0xad] = ScreenWidth;    // %SCREENWIDTH
  v[0xae] = ScreenHeight;   // %SCREENHEIGHT
  v[0xaf] = Desktop;        // %DESKTOP
  v[0xb0] = ParCount;       // %PARCOUNT
  v[0xb1] = NotYetBuilt;    // %ACTIVITY
  v[0xb2] = NotYetBuilt;    // %MOUSEBUTTONS
  v[0xb5] = NotYetBuilt;    // %LASTMESSAGE
  v[0xb8] = NotYetBuilt;    // &SQLCOUNT
  v[0xb9] = NotYetBuilt;    // %BMPWIDTH
  v[0xba] = NotYetBuilt;    // %BMPHEIGHT
  v[0xbb] = ErrorNumber;    // &ERRORNUMBER
  v[0xbc] = ColorBits;      // %COLORBITS
  v[0xbd] = NotYetBuilt;    // &RECVALUE
  v[0xbe] = NotYetBuilt;    // %FONT
  v[0xbf] = One;            // %ONE
  v[0xc0] = Ticks;          // &TICKS
  v[0xc1] = NotYetBuilt;    // &PARTNER
  v[0xc4] = Version;        // $VERSION
  v[0xc5] = NotYetBuilt;    // %ZERO
  v[0xc6] = Instance;       // %INSTANCE
  v[0xc7] = NotYetBuilt;    // %TIMER
  v[0xc8] = NotYetBuilt;    // %REPAINT
}

}  // namespace vestil
