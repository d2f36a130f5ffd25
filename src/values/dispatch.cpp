// Function dispatch: a built-in function's call through the table (with the
// normalisation of the result's views), parameter slots and user functions.
#include "values/dispatch.h"

#include <memory>
#include <string>

#include "base/bytes.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "base/tokens.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {


constexpr uint8_t kParamFloat = '!', kParamText = '$', kParamInteger = '%', kParamLong = '&';

void ParameterFunction(Runtime& rt, uint8_t token) {
  auto& rr = rt.eval.rr;
  EvalArg(rt, ')', kAnyType);
  int n = rr.i;
  if (n < 0 || n >= kParameterSlotCount) {
    RuntimeError(rt, msg::kParameterCountOutOfRange, "");
    n = 0;
  }
  rr.SetViews(rt.vars.slots[n]);
  switch (token) {
    case kParamFloat: rr.type = kTypeFloat; break;
    case kParamText: rr.type = kTypeString; break;
    case kParamInteger: rr.type = kTypeInteger; break;
    default: rr.type = kTypeLong; break;
  }
}

void UserFunction(Runtime& rt) {
  auto& rr = rt.eval.rr;
  auto& at = rt.loop.arg_text;
  int line = 0;
  if (at.size() >= 2) line = ReadLe16(at.data());
  at.remove_prefix(at.size() >= 2 ? 2 : at.size());
  const auto& prog = rt.program;
  if (line < 1 || line > prog.line_count || prog.Line(line).empty() || Byte(prog.Line(line)[0]) != cmd::kDefFn) {
    RuntimeError(rt, msg::kUnknownFunction, "");
    return;
  }
  const std::string& def = prog.Line(line);
  std::string_view def_text = def.size() > 5 ? std::string_view(def).substr(5) : std::string_view();

  // The definition's text is decoded as its own line's, while it runs.
  auto& ev = rt.eval;
  DecodedLine* const caller_line = ev.line;
  const char* const caller_begin = ev.line_begin;
  const char* const caller_end = ev.line_end;
  struct RestoreLine {
    EvalState& ev;
    DecodedLine* line;
    const char *begin, *end;
    ~RestoreLine() {
      ev.line = line;
      ev.line_begin = begin;
      ev.line_end = end;
    }
  } restore{ev, caller_line, caller_begin, caller_end};

  // The parameter count, then the body.
  std::string_view caller = at;
  at = def_text;
  UseDecodedLine(rt, line);
  EvalArg(rt, ')', kAnyType);
  int count = rr.i;
  std::string_view body = at;
  at = caller;
  ev.line = caller_line;
  ev.line_begin = caller_begin;
  ev.line_end = caller_end;
  if (count < 0 || count > 12) {
    RuntimeError(rt, msg::kParameterCountOutOfRange, "");
    return;
  }

  // The arguments, with the slots kept stable around each evaluation.
  auto saved = std::make_unique<std::array<SlotValue, kParameterSlotCount>>();
  for (int k = 1; k <= count; ++k) {
    *saved = rt.vars.slots;
    EvalArg(rt, k < count ? ',' : ')', kAnyType);
    rt.vars.slots = *saved;
    rt.vars.slots[k] = rr.Views();
  }

  caller = at;
  at = body;
  UseDecodedLine(rt, line);
  if (!body.empty() && (body[0] == '!' || body[0] == '*')) {
    if (rt.eval.library_binding) {
      rt.eval.library_binding(rt, count);
    } else {
      NotImplemented(rt, "DLL-Aufruf");
    }
  } else {
    EvalArg(rt, kRest, kAnyType);
  }
  at = caller;
}

// A handler stopped by a fatal error that the run goes on after (ERRORMODE
// -1) may leave arguments unread: the caller goes on after the call's
// closing parenthesis, never inside its arguments.
void SkipUnreadArguments(Runtime& rt, std::string_view args) {
  auto& at = rt.loop.arg_text;
  const size_t end = FindSeparator(')', args);
  if (end && at.data() >= args.data() && at.data() < args.data() + end) at = args.substr(end);
}

}  // namespace

void TextResult(Runtime& rt, CallContext& ctx, std::string_view v) {
  rt.eval.rr.set_text(v);
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

void NumberResult(Runtime& rt, CallContext& ctx, int32_t v, uint8_t type) {
  rt.eval.rr.l = v;
  rt.eval.rr.type = type;
  ctx.handled = true;
}

void FunctionNotImplemented(Runtime& rt, CallContext& ctx) {
  std::string name = "@";
  const char* n = FunctionName(ctx.token);
  name += n ? n : "?";
  name += " (nicht implementiert)";
  RuntimeError(rt, msg::kUnknownFunction, name);
  ctx.handled = true;
}

void DispatchFunction(Runtime& rt, uint8_t token) {
  auto& rr = rt.eval.rr;
  const std::string_view args = rt.loop.arg_text;
  const uintptr_t here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  if (rt.eval.stack_base > here && rt.eval.stack_base - here > kCallStackBudget) {
    RuntimeError(rt, msg::kCallNestingTooDeep, "");
    rr.type = kTypeNone;
    SkipUnreadArguments(rt, args);
    return;
  }

  CallContext ctx;
  ctx.token = token;
  const uint32_t fatal_count = rt.errors.fatal_count;
  if (FunctionHandler h = rt.eval.functions[token]) h(rt, ctx);
  if (rt.errors.fatal_count != fatal_count) [[unlikely]] SkipUnreadArguments(rt, args);
  const uint8_t type = rr.type;
  if (type != kTypeString) rr.i = rr.l;
  if (type >= kTypeString && type <= kTypeLong) rr.f = rr.l;
  if (token == kParamFloat || token == kParamText || token == kParamInteger || token == kParamLong) {
    ParameterFunction(rt, token);
    return;
  }
  if (!ctx.handled) {
    UserFunction(rt);
    return;
  }
  // A number's text view is the number formatted as a variable of its kind
  // is, not what the last argument left there.
  if (rr.type == kTypeInteger || rr.type == kTypeLong) {
    rr.set_text_integer(rr.l, rt.format.number_width);
  } else if (rr.type == kTypeFloat) {
    rr.set_text_float(rr.f, rt.format.decimal_places, rt.format.number_width);
  } else if (rr.type == kTypeString) {
    rt.eval.arg_token = rr.text();
    rt.eval.token = rt.eval.arg_token.view();
  }
}

}  // namespace vestil
