// The system variables: kind character plus SysVarToken.
#include <string>

#include "base/version.h"
#include "core/errors.h"
#include "core/runtime.h"
#include "data/dbase.h"
#include "data/channels.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

std::string VersionText(unsigned a, unsigned b) { return std::to_string(a) + "." + std::to_string(b); }

}  // namespace

void ReadSystemVariable(Runtime& rt, const ShortString& element) {
  auto& rr = rt.eval.rr;
  Host& host = *rt.host;
  rr.i = rr.l = 0;
  rr.f = 0.0;
  uint8_t token = element.size() > 1 ? element.byte(1) : 0;
  bool found = true;
  int32_t iv = 0;
  switch (token) {
    case 0x81: iv = rt.dialog_list.dialog_result; break;  // %DLGRESULT
    case 0x82: iv = rt.console.input_int; break;       // %INPUTINT
    case 0x83: rr.l = rt.console.input_long; break;    // &INPUTLONG
    case 0x84: rr.f = rt.console.input_float; break;   // !INPUTFLOAT
    case 0x85: rr.set_text(rt.console.input_text); break;  // $INPUTTEXT
    case 0x86: iv = rt.dialog_list.last; break;        // %LISTLAST
    case 0x87: rr.set_text(""); break;                 // $INPUTDLG
    case 0x88: rr.set_text(""); break;                 // $CHOSEN
    case 0x89: case 0x8a: break;                       // %MOUSEX, %MOUSEY
    case 0x8b:                                         // %MOUSEKEY
      host.PumpMessages();
      break;
    case 0x8c: iv = rt.events.command_code; break;     // %COMMAND
    case 0x8d: rr.l = rt.system.mci_error; break;      // &MCIERROR
    case 0x8e: case 0x8f: break;                       // %WAITRESULT, %VKEY
    case 0x90: case 0x91: case 0x92: break;            // %TARGETDC, %SHADOWDC, %HWND
    case 0x93: iv = TakeIoResult(rt); break;           // %IORESULT (read and cleared)
    case 0x94:                                         // %ERRORKIND (read and cleared)
      iv = rt.errors.last_error_kind;
      rt.errors.last_error_kind = 0;
      break;
    case 0x95: rr.set_text(host.CurrentDirectory().substr(0, 2)); break;  // $DRIVE
    case 0x96: break;                                  // %LISTINDEX
    case 0x97: rr.set_text(host.WindowsDirectory().substr(0, 150)); break;
    case 0x98: rr.set_text(host.SystemDirectory().substr(0, 150)); break;
    case 0x99: {                                       // $PLATFORMVER
      uint32_t v = host.PlatformVersion();
      rr.l = static_cast<int32_t>(v);
      rr.set_text(VersionText((v >> 24) & 0xff, (v >> 16) & 0xff));
      break;
    }
    case 0x9a: {                                       // $WINVER
      uint32_t v = host.WindowsVersion();
      rr.l = static_cast<int32_t>(v);
      rr.set_text(VersionText(v & 0xff, (v >> 8) & 0xff));
      break;
    }
    case 0x9b: case 0x9c: case 0x9d: case 0x9e: break;  // window edges: no window yet
    case 0x9f: iv = host.FocusHandle(); break;          // %FOCUS
    case 0xa0: case 0xa1: case 0xa2: case 0xa3: case 0xa4:  // the current dBase table
    case 0xa5: case 0xa6: case 0xa7: case 0xa8: case 0xa9:
    case 0xaa: case 0xab: case 0xac: case 0xc2: case 0xc3:
      ReadDbaseVariable(rt, token);
      break;
    case 0xad: iv = host.ScreenWidth(); break;
    case 0xae: iv = host.ScreenHeight(); break;
    case 0xaf: iv = host.DesktopHandle(); break;
    case 0xb0: iv = static_cast<int32_t>(host.Arguments().size()) - 1; break;  // %PARCOUNT
    case 0xb1: case 0xb2: case 0xb5: break;            // %ACTIVITY, %MOUSEBUTTONS, %LASTMESSAGE
    case 0xb8: break;                                  // &SQLCOUNT
    case 0xb9: case 0xba: break;                       // %BMPWIDTH, %BMPHEIGHT
    case 0xbb: rr.l = rt.errors.last_error_number; break;  // &ERRORNUMBER
    case 0xbc: iv = host.ColorBits(); break;
    case 0xbd: break;                                  // &RECVALUE
    case 0xbe: break;                                  // %FONT
    case 0xbf: iv = 1; break;                          // %ONE
    case 0xc0: rr.l = static_cast<int32_t>(host.TickCount()); break;  // &TICKS
    case 0xc1: break;                                  // &PARTNER
    case 0xc4: rr.set_text(kRuntimeVersion); break;    // $VERSION
    case 0xc5: break;                                  // %ZERO
    case 0xc6: iv = host.InstanceHandle(); break;
    case 0xc7: case 0xc8: break;                       // %TIMER, %REPAINT (read and cleared)
    default:
      found = false;
      break;
  }
  if (iv) rr.i = iv;
  if (!found && !element.empty() && element[0] == '$') {
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

}  // namespace vestil
