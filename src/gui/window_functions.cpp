// The window functions and window statements (see window_functions.h). The
// argument order, the checks and the keyboard table are here; every window
// operation goes to the host's WindowAccess.
#include "gui/window_functions.h"

#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

std::optional<TypedKey> KeyForCharacter(uint8_t c) {
  switch (c) {
    case 8: case 9: case 13: case 18: case 32: return TypedKey{c, false};
    case '#': return TypedKey{191, false};
    case '+': return TypedKey{187, false};
    case ',': return TypedKey{188, false};
    case '-': return TypedKey{189, false};
    case '.': return TypedKey{190, false};
    case '<': return TypedKey{226, false};
    case 0xdf: return TypedKey{219, false};  // sharp s
    case 0xe4: return TypedKey{222, false};  // a umlaut
    case 0xf6: return TypedKey{192, false};  // o umlaut
    case 0xfc: return TypedKey{186, false};  // u umlaut
    case '!': return TypedKey{49, true};
    case 0xa7: return TypedKey{51, true};    // section sign
    case '$': return TypedKey{52, true};
    case '%': return TypedKey{53, true};
    case '&': return TypedKey{54, true};
    case '/': return TypedKey{55, true};
    case '(': return TypedKey{56, true};
    case ')': return TypedKey{57, true};
    case '=': return TypedKey{48, true};
    case '\'': return TypedKey{191, true};
    case '*': return TypedKey{187, true};
    case ':': return TypedKey{190, true};
    case ';': return TypedKey{188, true};
    case '_': return TypedKey{189, true};
    case '>': return TypedKey{226, true};
    case '?': return TypedKey{219, true};
    case 0xc4: return TypedKey{222, true};   // A umlaut
    case 0xd6: return TypedKey{192, true};   // O umlaut
    case 0xdc: return TypedKey{186, true};   // U umlaut
    default: break;
  }
  if (c >= '0' && c <= '9') return TypedKey{c, false};
  if (c >= 'a' && c <= 'z') return TypedKey{static_cast<uint8_t>(c - 32), false};
  if (c >= 'A' && c <= 'Z') return TypedKey{c, true};
  return std::nullopt;
}

namespace {

WindowAccess& Access(Runtime& rt) { return *rt.host.windows; }

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.l;
}

std::string TextArg(Runtime& rt, char terminator, Demand demand = kTextDemand) {
  EvalArg(rt, terminator, demand);
  const ShortString t = rt.eval.rr.text();
  return std::string(std::string_view(t));
}

void Integer(Runtime& rt, CallContext& ctx, int32_t v) { NumberResult(rt, ctx, v, kTypeInteger); }

// --- functions ----------------------------------------------------------------

void ClientHeight(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Access(rt).ClientHeight(NumberArg(rt, ')'))); }
void ClientWidth(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Access(rt).ClientWidth(NumberArg(rt, ')'))); }

void LoadString(Runtime& rt, CallContext& ctx) {
  const int32_t module = NumberArg(rt, ',');
  const int32_t id = NumberArg(rt, ')');
  TextResult(rt, ctx, Access(rt).ResourceString(module, id));
}

void FullPath(Runtime& rt, CallContext& ctx) { TextResult(rt, ctx, Access(rt).FullPath(TextArg(rt, ')'))); }
void ShortPath(Runtime& rt, CallContext& ctx) { TextResult(rt, ctx, Access(rt).ShortPath(TextArg(rt, ')'))); }

void PostMessage(Runtime& rt, CallContext& ctx) {
  const int32_t window = NumberArg(rt, ',');
  const int32_t message = NumberArg(rt, ',');
  const int32_t wparam = NumberArg(rt, ',');
  const int32_t lparam = NumberArg(rt, ')');
  Integer(rt, ctx, Access(rt).Post(window, message, wparam, lparam));
}

// @SENDKEYS: each character with a key is typed, and the queue drained so
// the window sees it before the next one; the result is always 1 where
// there are windows to type into.
void SendKeys(Runtime& rt, CallContext& ctx) {
  const int32_t window = NumberArg(rt, ',');
  const std::string keys = TextArg(rt, ')');
  WindowAccess& a = Access(rt);
  for (char ch : keys) {
    const std::optional<TypedKey> k = KeyForCharacter(static_cast<uint8_t>(ch));
    if (!k) continue;
    a.SendKey(window, k->virtual_key, k->shifted);
    rt.host.screen->PumpMessages();
  }
  Integer(rt, ctx, rt.host.screen->Control() ? 1 : 0);
}

// @SENDKEY: one key, never shifted; its result means nothing.
void SendKey(Runtime& rt, CallContext& ctx) {
  const int32_t window = NumberArg(rt, ',');
  const int32_t key = NumberArg(rt, ')');
  Access(rt).SendKey(window, static_cast<uint8_t>(key), false);
  Integer(rt, ctx, 0);
}

void GetScrollPos(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Access(rt).ScrollPosition(NumberArg(rt, ')'))); }

void IconCount(Runtime& rt, CallContext& ctx) {
  Integer(rt, ctx, Access(rt).IconCount(TextArg(rt, ')', kFileNameDemand)));
}

void FindWindow(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Access(rt).FindTopWindow(TextArg(rt, ')'))); }

// --- statements ---------------------------------------------------------------

// SETWINDOWPOS window = x , y - w , h [; after]: a ";" anywhere in the rest
// of the line means the insert-after window follows h.
void SetWindowPos(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t window = NumberArg(rt, '=');
  const int32_t x = NumberArg(rt, ',');
  const int32_t y = NumberArg(rt, '-');
  const int32_t w = NumberArg(rt, ',');
  const bool has_after = rt.loop.arg_text.find(';') != std::string_view::npos;
  const int32_t h = NumberArg(rt, has_after ? ';' : kRest);
  const int32_t after = has_after ? NumberArg(rt, kRest) : 0;
  if (x < 0 || y < 0 || w < 0 || h < 0) {
    RuntimeError(rt, msg::kNegativeWindowSize, "");
    return;
  }
  Access(rt).Place(window, after, x, y, w, h);
}

void WindowMax(Runtime& rt) {
  rt.loop.statement_handled = true;
  Access(rt).ShowMain(MainWindowShow::kMaximized);
}
void WindowMin(Runtime& rt) {
  rt.loop.statement_handled = true;
  Access(rt).ShowMain(MainWindowShow::kMinimized);
}
void WindowNormal(Runtime& rt) {
  rt.loop.statement_handled = true;
  Access(rt).ShowMain(MainWindowShow::kNormal);
}

void EnableWindow(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t window = NumberArg(rt, ',');
  const int32_t flag = NumberArg(rt, kRest);
  Access(rt).Enable(window, flag != 0);
}

void SetText(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t window = NumberArg(rt, ',');
  Access(rt).SetCaption(window, TextArg(rt, kRest));
}

void SetCheck(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t window = NumberArg(rt, ',');
  const int32_t flag = NumberArg(rt, kRest);
  Access(rt).Check(window, flag != 0);
}

// MESSAGEBOX text , caption , style: the button goes to %DLGRESULT; the
// window is then restored where the box covered it.
void MessageBox(Runtime& rt) {
  rt.loop.statement_handled = true;
  const std::string text = TextArg(rt, ',');
  const std::string caption = TextArg(rt, ',');
  const int32_t style = NumberArg(rt, kRest);
  rt.dialog_list.dialog_result = rt.host.dialogs->MessageBox(caption, text, static_cast<unsigned>(style));
  Access(rt).RepaintMain();
}

// EXITWINDOWS n: n is read and means nothing; the session ends.
void ExitWindows(Runtime& rt) {
  rt.loop.statement_handled = true;
  NumberArg(rt, kRest);
  Access(rt).LogOff();
}

}  // namespace

void RegisterWindowFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kClientHeight] = ClientHeight;
  f[fn::kClientWidth] = ClientWidth;
  f[fn::kLoadString] = LoadString;
  f[fn::kFullPath] = FullPath;
  f[fn::kShortPath] = ShortPath;
  f[fn::kPostMessage] = PostMessage;
  f[fn::kSendKeys] = SendKeys;
  f[fn::kSendKey] = SendKey;
  f[fn::kGetScrollPos] = GetScrollPos;
  f[fn::kIconCount] = IconCount;
  f[fn::kFindWindow] = FindWindow;

  auto& s = rt.statements;
  s[cmd::kSetWindowPos] = SetWindowPos;
  s[cmd::kWindowMax] = WindowMax;
  s[cmd::kWindowMin] = WindowMin;
  s[cmd::kWindowNormal] = WindowNormal;
  s[cmd::kEnableWindow] = EnableWindow;
  s[cmd::kSetText] = SetText;
  s[cmd::kSetCheck] = SetCheck;
  s[cmd::kMessageBox] = MessageBox;
  s[cmd::kExitWindows] = ExitWindows;
}

}  // namespace vestil
