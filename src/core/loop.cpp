// The statement loop and its dispatch.
#include <string>

#include "base/tokens.h"
#include "core/control_flow.h"
#include "core/errors.h"
#include "core/loader.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/decoded.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

// Statements whose handler is still to come: they stop the run with an error
// naming their keyword instead of falling back to a procedure call.
void StatementNotImplemented(Runtime& rt) {
  const char* name = CommandName(rt.loop.command_token);
  NotImplemented(rt, name ? name : "?");
  rt.loop.statement_handled = true;
}

void Comment(Runtime& rt) { rt.loop.statement_handled = true; }

// A function call written as a statement: the rest of the line is itself a
// call ("@", token, arguments, ")"); its result is dropped.
void CallStatement(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  rt.loop.statement_handled = true;
}

void ErrorModeStatement(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  rt.errors.error_mode = rt.eval.rr.i;
  rt.loop.statement_handled = true;
}

// Evaluates one argument and drops it.
void EvalStatement(Runtime& rt) {
  EvalArg(rt, ',', kAnyType);
  rt.loop.statement_handled = true;
}

// Resolves a CASE or CASENOT prefix; false when the rest of the line is skipped.
bool ConditionPrefix(Runtime& rt, bool negated) {
  auto& L = rt.loop;
  EvalArg(rt, ':', kAnyType);
  const bool cond = rt.eval.rr.i != 0;
  size_t colon = negated ? FindSeparator(':', L.arg_text) : L.arg_text.find(':') + 1;
  if (colon == 1) L.arg_text.remove_prefix(1);
  if (cond == negated) {
    L.statement_handled = true;
    return false;
  }
  if (L.arg_text.empty()) {
    // A prefix with no statement after it does nothing.
    L.command_token = cmd::kComment;
  } else {
    L.command_token = Byte(L.arg_text[0]);
    L.arg_text.remove_prefix(1);
  }
  return true;
}

// Drops a line's fast form, to be bound again from the general way's
// resolutions; false, for the general way to run.
bool DropFastForm(DecodedLine& dl) {
  dl.fast = kFastNone;
  dl.fast_tries = 0;
  return false;
}

// The whole-statement form of a decoded line (DecodedLine::fast) at line
// `line` (the loop's copy of the current line), with what the general way
// leaves behind: the result registers, ArgToken's view and the separator as
// the handler and the fused call leave them (the loop's own state for the
// line is written by WriteFastLineState when something may look). False,
// with nothing a program can see changed, when the general way must run; an
// operand or target whose entry is not the remembered one any more drops
// the form, to be bound again from the general way's resolutions. What it
// reads comes first: a store of a byte would make the compiler read the rest
// again.
[[gnu::always_inline]] inline bool RunFastStatement(Runtime& rt, DecodedLine& dl, int& line) {
  auto& ev = rt.eval;
  auto& fl = rt.flow;
  const uint8_t fast = dl.fast;
  FastForm& form = dl.form;
  if (fast == kFastEndWhile) {
    const int depth = fl.while_depth;
    if (depth <= 0) return false;
    line = fl.while_stack[depth] - 1;
    fl.while_depth = depth - 1;
    return true;
  }
  int32_t a, b;
  double fa, fb;
  if (!FastValue(rt.vars, form.x, a, fa) || !FastValue(rt.vars, form.y, b, fb)) [[unlikely]]
    return DropFastForm(dl);
  int32_t l;
  double f;
  const uint8_t type = FusedValue(form.function, a, fa, b, fb, l, f);
  if (fast <= kFastWhileNot) {
    const int depth = fl.while_depth;
    // The loop ends, or nests too deep: the general way.
    if (depth >= kMaxWhileDepth || (l != 0) == (fast == kFastWhileNot)) return false;
    fl.while_stack[depth + 1] = line;
    fl.while_depth = depth + 1;
  } else if (fast == kFastAssignFloat) {
    auto* e = rt.vars.floats.Check(form.target);
    if (!e) [[unlikely]] return DropFastForm(dl);
    e->value = f;
  } else {
    auto* e = (fast == kFastAssignInteger ? rt.vars.integers : rt.vars.longs).Check(form.target);
    if (!e) [[unlikely]] return DropFastForm(dl);
    e->value = l;
  }
  auto& rr = ev.rr;
  const int width = rt.format.number_width;
  if (type == kTypeFloat) rr.set_text_float(f, rt.format.decimal_places, width);
  else rr.set_text_integer(l, width);
  rr.l = rr.i = l;
  rr.f = f;
  ev.token = form.token_text;
  rr.type = type;
  ev.delimiter.assign(' ');
  return true;
}

// The loop's state for a line a fast form ran, as the general way leaves it.
[[gnu::noinline]] void WriteFastLineState(Runtime& rt, DecodedLine& dl) {
  auto& L = rt.loop;
  const FastForm& form = dl.form;
  L.statement_handled = true;
  L.command_token = form.token;
  L.arg_text = dl.fast == kFastEndWhile ? std::string_view() : std::string_view(form.end, 0);
  rt.eval.line = &dl;
  rt.eval.line_begin = form.begin;
  rt.eval.line_end = form.end;
}

// A 255 that an event left in CommandCode shows as 254 once a statement has
// run: checked before each statement that may read it (events arrive only
// in the message pump and in statements that wait).
[[gnu::always_inline]] inline void SettleCommandCode(Runtime& rt) {
  if (int16_t* c = rt.events.command_code; c && *c == 255) *c = 254;
}

void RunStatements(Runtime& rt) {
  auto& L = rt.loop;
  auto& ev = rt.eval;
  // The program and its decoded lines stay where they are for the whole run.
  const std::string* const lines = rt.program.lines.data();
  const int line_count = rt.program.line_count;
  if (ev.decode && ev.decoded.empty()) UseDecodedLine(rt, 1);
  DecodedLine* const decoded = ev.decode ? ev.decoded.data() : nullptr;
  // A statement budget and a trace are set before the run or not at all.
  const bool watched = L.statement_budget != 0 || static_cast<bool>(rt.source.trace);
  // The current line as the loop keeps it; L.current_line is written before
  // anything else may read it. `fast_line`: a line a fast form ran whose
  // loop state is still to be written.
  int line = L.current_line;
  DecodedLine* fast_line = nullptr;
  // The message pump's count (statements since the last pump).
  uint8_t pump_counter = 0;
  SettleCommandCode(rt);
  while (line < line_count && !L.stop_requested) {
    if (watched) {
      if (fast_line) WriteFastLineState(rt, *fast_line);
      fast_line = nullptr;
      L.current_line = line;
      if (L.statement_budget && ++L.statements_run > L.statement_budget) break;
      ++L.current_line;
      if (rt.source.trace) {
        rt.source.trace(rt);
        SettleCommandCode(rt);
      }
      line = L.current_line;
    } else {
      ++line;
    }
    DecodedLine* dl = nullptr;
    if (decoded) {
      dl = decoded + line;
      if (dl->fast && RunFastStatement(rt, *dl, line)) [[likely]] {
        fast_line = dl;
        goto pump;
      }
    }
    {
      fast_line = nullptr;
      L.current_line = line;
      const std::string& text_line = lines[line];
      const char* const text = text_line.data();
      const size_t size = text_line.size();
      L.statement_handled = false;
      // An empty line has no CommandToken and does nothing.
      L.command_token = size ? Byte(text[0]) : cmd::kComment;
      L.arg_text = size > 1 ? std::string_view(text + 1, size - 1) : std::string_view();
      if (dl) {
        ev.line = dl;
        ev.line_begin = text;
        ev.line_end = text + size;
      }
      bool run = true;
      static_assert(cmd::kCaseNot == cmd::kCase + 1);
      if (static_cast<uint8_t>(L.command_token - cmd::kCase) < 2) [[unlikely]] {
        if (L.command_token == cmd::kCase) run = ConditionPrefix(rt, false);
        if (run && L.command_token == cmd::kCaseNot) run = ConditionPrefix(rt, true);
      }
      if (run) {
        if (StatementHandler h = rt.statements[L.command_token]) h(rt);
        if (!L.statement_handled) [[unlikely]] ProcedureCall(rt);
      }
      SettleCommandCode(rt);
      if (dl && !dl->fast && dl->fast_tries < kFastBindTries) [[unlikely]] BindFastStatement(rt, *dl, text, text + size);
      line = L.current_line;
    }
  pump:
    if (pump_counter > 19) [[unlikely]] {
      if (fast_line) WriteFastLineState(rt, *fast_line);
      fast_line = nullptr;
      L.current_line = line;
      pump_counter = 0;
      rt.host.screen->PumpMessages();
      SettleCommandCode(rt);
    } else {
      ++pump_counter;
    }
  }
  if (fast_line) WriteFastLineState(rt, *fast_line);
  L.current_line = line;
}

// The orderly end: what the platform holds (window, print job, graphics
// objects) goes with the host; memory goes with the Runtime. A print job
// still open is finished first, while the window it drew for still exists.
void EndProgram(Runtime& rt) {
  if (rt.host.printer) rt.host.printer->Close();
  rt.host.screen->EndProgram();
}

}  // namespace

Runtime::Runtime(const Host& h) : host(h) {
  for (int i = 0; i < kCommandTokenCount; ++i) statements[kCommandTokens[i].token] = StatementNotImplemented;
  statements[cmd::kCase] = nullptr;
  statements[cmd::kCaseNot] = nullptr;
  statements[cmd::kComment] = Comment;
  statements[cmd::kLabel] = Comment;
  statements[cmd::kDefFn] = Comment;
  statements[cmd::kCallStatement] = CallStatement;
  statements[cmd::kErrorMode] = ErrorModeStatement;
  statements[cmd::kEval] = EvalStatement;
  for (int i = 0; i < kFunctionTokenCount; ++i) eval.functions[kFunctionTokens[i].token] = FunctionNotImplemented;
}

int RunProgram(Runtime& rt) {
  rt.eval.stack_base = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  try {
    LoadProgram(rt);
  } catch (const ProgramExit& e) {
    return e.code;
  }
  int code = 0;
  try {
    RunStatements(rt);
  } catch (const ProgramExit& e) {
    code = e.code;
  }
  EndProgram(rt);
  return code;
}

}  // namespace vestil
