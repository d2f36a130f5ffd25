// The statement loop and its dispatch.
#include <cstdlib>
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
  const auto& lines = rt.program.lines;
  while (L.current_line < rt.program.line_count && !L.stop_requested) {
    if (L.statement_budget && ++L.statements_run > L.statement_budget) break;
    ++L.current_line;
    if (rt.source.trace) rt.source.trace(rt);
    const std::string& line = lines[L.current_line];
    L.statement_handled = false;
    // An empty line has no CommandToken and does nothing.
    L.command_token = line.empty() ? cmd::kComment : Byte(line[0]);
    L.arg_text = line.size() > 1 ? std::string_view(line).substr(1) : std::string_view();
    if (rt.eval.decode) {
      auto& ev = rt.eval;
      DecodedLine* decoded = ev.decoded.data();
      if (!decoded) {
        UseDecodedLine(rt, L.current_line);
        decoded = ev.decoded.data();
      }
      ev.line = decoded + L.current_line;
      ev.line_begin = line.data();
      ev.line_end = line.data() + line.size();
    }
    if (int16_t* c = rt.events.command_code; c && *c == 255) *c = 254;

    bool run = true;
    static_assert(cmd::kCaseNot == cmd::kCase + 1);
    if (static_cast<uint8_t>(L.command_token - cmd::kCase) < 2) {
      if (L.command_token == cmd::kCase) run = ConditionPrefix(rt, false);
      if (run && L.command_token == cmd::kCaseNot) run = ConditionPrefix(rt, true);
    }
    if (run) {
      if (StatementHandler h = rt.statements[L.command_token]) h(rt);
      if (!L.statement_handled) ProcedureCall(rt);
    }

    if (L.pump_counter > 19) {
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
  // VESTIL_TEXT_PATH=1 runs every line from its text each time, as a check
  // of the decoded lines.
  const char* text_path = std::getenv("VESTIL_TEXT_PATH");
  eval.decode = !(text_path && *text_path && std::string_view(text_path) != "0");
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
