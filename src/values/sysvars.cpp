// The system variables: kind character plus SysVarToken.
#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
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
    case sv::kDlgResult: iv = rt.dialog_list.dialog_result; break;
    case sv::kInputInt: iv = rt.console.input_int; break;
    case sv::kInputLong: rr.l = rt.console.input_long; break;
    case sv::kInputFloat: rr.f = rt.console.input_float; break;
    case sv::kInputText: rr.set_text(rt.console.input_text); break;
    case sv::kListLast: iv = rt.dialog_list.last; break;
    case sv::kInputDlg: rr.set_text(""); break;
    case sv::kChosen: rr.set_text(""); break;
    case sv::kMouseX: case sv::kMouseY: break;
    case sv::kMouseKey:
      host.PumpMessages();
      break;
    case sv::kCommand: iv = rt.events.command_code; break;
    case sv::kMciError: rr.l = rt.system.mci_error; break;
    case sv::kWaitResult: case sv::kVKey: break;
    case sv::kTargetDc: case sv::kShadowDc: case sv::kHwnd: break;
    case sv::kIoResult: iv = TakeIoResult(rt); break;  // read and cleared
    case sv::kErrorKind:                                // read and cleared
      iv = rt.errors.last_error_kind;
      rt.errors.last_error_kind = 0;
      break;
    case sv::kDrive: rr.set_text(host.CurrentDirectory().substr(0, 2)); break;
    case sv::kListIndex: break;
    case sv::kWinDir: rr.set_text(host.WindowsDirectory().substr(0, 150)); break;
    case sv::kSysDir: rr.set_text(host.SystemDirectory().substr(0, 150)); break;
    case sv::kPlatformVer: {
      uint32_t v = host.PlatformVersion();
      rr.l = static_cast<int32_t>(v);
      rr.set_text(VersionText((v >> 24) & 0xff, (v >> 16) & 0xff));
      break;
    }
    case sv::kWinVer: {
      uint32_t v = host.WindowsVersion();
      rr.l = static_cast<int32_t>(v);
      rr.set_text(VersionText(v & 0xff, (v >> 8) & 0xff));
      break;
    }
    case sv::kWinTop: case sv::kWinBottom: case sv::kWinLeft: case sv::kWinRight: break;  // no window yet
    case sv::kFocus: iv = host.FocusHandle(); break;
    case sv::kDbCount: case sv::kDbHeadLen: case sv::kDbRecLen: case sv::kDbRecNo:  // the current dBase table
    case sv::kDbFields: case sv::kDbDate: case sv::kDbFType: case sv::kDbFDec: case sv::kDbFLen:
    case sv::kDbFNum: case sv::kDbFName: case sv::kDbDeleted: case sv::kDbEof:
    case sv::kDbHasMemo: case sv::kDbVersion:
      ReadDbaseVariable(rt, token);
      break;
    case sv::kScreenWidth: iv = host.ScreenWidth(); break;
    case sv::kScreenHeight: iv = host.ScreenHeight(); break;
    case sv::kDesktop: iv = host.DesktopHandle(); break;
    case sv::kParCount: iv = static_cast<int32_t>(host.Arguments().size()) - 1; break;
    case sv::kActivity: case sv::kMouseButtons: case sv::kLastMessage: break;
    case sv::kSqlCount: break;
    case sv::kBmpWidth: case sv::kBmpHeight: break;
    case sv::kErrorNumber: rr.l = rt.errors.last_error_number; break;
    case sv::kColorBits: iv = host.ColorBits(); break;
    case sv::kRecValue: break;
    case sv::kFont: break;
    case sv::kOne: iv = 1; break;
    case sv::kTicks: rr.l = static_cast<int32_t>(host.TickCount()); break;
    case sv::kPartner: break;
    case sv::kVersion: rr.set_text("5.0a-NT"); break;
    case sv::kZero: break;
    case sv::kInstance: iv = host.InstanceHandle(); break;
    case sv::kTimer: case sv::kRepaint: break;  // read and cleared
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
  if (!found) RuntimeError(rt, msg::kUnknownSystemVariable, "");
}

}  // namespace vestil
