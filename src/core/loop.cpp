// The statement loop and its dispatch.
#include <string>

#include "base/tokens.h"
#include "core/control_flow.h"
#include "core/errors.h"
#include "core/loader.h"
#include "core/runtime.h"
#include "host/host.h"
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

void RunStatements(Runtime& rt) {
  auto& L = rt.loop;
  auto& ev = rt.eval;
  // The program and its decoded lines stay where they are for the whole run.
  const std::string* const lines = rt.program.lines.data();
  if (ev.decode && ev.decoded.empty()) UseDecodedLine(rt, 1);
  DecodedLine* const decoded = ev.decode ? ev.decoded.data() : nullptr;
  // A statement budget and a trace are set before the run or not at all.
  const bool watched = L.statement_budget != 0 || static_cast<bool>(rt.source.trace);
  while (L.current_line < rt.program.line_count && !L.stop_requested) {
    if (watched) {
      if (L.statement_budget && ++L.statements_run > L.statement_budget) break;
      ++L.current_line;
      if (rt.source.trace) rt.source.trace(rt);
    } else {
      ++L.current_line;
    }
    const std::string& line = lines[L.current_line];
    const char* const text = line.data();
    const size_t size = line.size();
    L.statement_handled = false;
    // An empty line has no CommandToken and does nothing.
    L.command_token = size ? Byte(text[0]) : cmd::kComment;
    L.arg_text = size > 1 ? std::string_view(text + 1, size - 1) : std::string_view();
    if (decoded) {
      ev.line = decoded + L.current_line;
      ev.line_begin = text;
      ev.line_end = text + size;
    }
    if (int16_t* c = rt.events.command_code; c && *c == 255) *c = 254;

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

    if (L.pump_counter > 19) [[unlikely]] {
      rt.host.screen->PumpMessages();
      L.pump_counter = 0;
    } else {
      ++L.pump_counter;
    }
  }
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
