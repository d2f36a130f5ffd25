// Control flow. Blocks are found by scanning forward through the program and
// counting nesting by CommandToken alone; labels by scanning from line 1. The
// program never changes while it runs, so each scan's outcome is remembered
// per line (and per label key): the result, the line an error names and the
// moment it is raised stay exactly those of the scan.
#include "core/control_flow.h"

#include <string>

#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "base/bytes.h"
#include "base/tokens.h"
#include "values/eval.h"

namespace vestil {
namespace {

uint8_t TokenAt(const Runtime& rt, int line) {
  const std::string& s = rt.program.Line(line);
  return s.empty() ? 0 : Byte(s[0]);
}

enum ScanKind { kIfBranch, kEndIf, kEndWhile, kEndProc };

// The line where a scan from `from` stops, or 0 when it reaches the last line
// without a find. For kIfBranch the candidate may be an ELSEIF whose
// condition the caller evaluates.
int ScanUncached(const Runtime& rt, int from, ScanKind kind) {
  int depth = 0;
  for (int line = from + 1; line <= rt.program.line_count; ++line) {
    uint8_t t = TokenAt(rt, line);
    switch (kind) {
      case kIfBranch:
        if (t == cmd::kIf || t == cmd::kIfNot) ++depth;
        else if (t == cmd::kEndIf) {
          if (depth == 0) return line;
          --depth;
        } else if ((t == cmd::kElseIf || t == cmd::kElse) && depth == 0) {
          return line;
        }
        break;
      case kEndIf:
        if (t == cmd::kIf || t == cmd::kIfNot) ++depth;
        else if (t == cmd::kEndIf) {
          if (depth == 0) return line;
          --depth;
        }
        break;
      case kEndWhile:
        if (t == cmd::kWhile || t == cmd::kWhileNot) ++depth;
        else if (t == cmd::kEndWhile) {
          if (depth == 0) return line;
          --depth;
        }
        break;
      case kEndProc:
        if (t == cmd::kProc) ++depth;
        else if (t == cmd::kEndProc) {
          if (depth == 0) return line;
          --depth;
        }
        break;
    }
  }
  return 0;
}

int Scan(Runtime& rt, int from, ScanKind kind) {
  auto& f = rt.flow;
  std::vector<int>* cache = kind == kIfBranch ? &f.if_target
                          : kind == kEndIf    ? &f.else_target
                          : kind == kEndWhile ? &f.while_target
                                              : &f.proc_target;
  if (cache->empty()) cache->assign(rt.program.line_count + 2, -1);
  int& slot = (*cache)[from];
  if (slot < 0) slot = ScanUncached(rt, from, kind);
  return slot;
}

// Moves to the line a scan found, or raises its message at the last line.
bool Land(Runtime& rt, int target, int message) {
  if (target) {
    rt.loop.current_line = target;
    return true;
  }
  rt.loop.current_line = rt.program.line_count;
  RuntimeError(rt, message, "");
  return false;
}

bool Condition(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  return rt.eval.rr.i != 0;
}

void IfStatement(Runtime& rt, bool negated) {
  rt.loop.statement_handled = true;
  if (Condition(rt) != negated) return;
  int from = rt.loop.current_line;
  for (;;) {
    int cand = Scan(rt, from, kIfBranch);
    if (!Land(rt, cand, msg::kEndIfOrElseNotFound)) return;
    if (TokenAt(rt, cand) != cmd::kElseIf) return;
    rt.loop.arg_text = std::string_view(rt.program.Line(cand)).substr(1);
    if (Condition(rt)) return;
    from = cand;
  }
}

void If(Runtime& rt) { IfStatement(rt, false); }
void IfNot(Runtime& rt) { IfStatement(rt, true); }

// ELSE or ELSEIF reached in sequence: the branch before has run.
void Else(Runtime& rt) {
  rt.loop.statement_handled = true;
  rt.loop.arg_text = std::string_view();
  Land(rt, Scan(rt, rt.loop.current_line, kEndIf), msg::kEndIfNotFound);
}

void NoOperation(Runtime& rt) { rt.loop.statement_handled = true; }

void WhileStatement(Runtime& rt, bool negated) {
  auto& f = rt.flow;
  rt.loop.statement_handled = true;
  bool cond = Condition(rt);
  if (++f.while_depth > kMaxWhileDepth) {
    RuntimeError(rt, msg::kWhileNestingTooDeep, "");
    f.while_depth = kMaxWhileDepth;
  }
  f.while_stack[f.while_depth] = rt.loop.current_line;
  if (cond != negated) return;
  if (Land(rt, Scan(rt, rt.loop.current_line, kEndWhile), msg::kEndWhileNotFound)) --f.while_depth;
}

void While(Runtime& rt) { WhileStatement(rt, false); }
void WhileNot(Runtime& rt) { WhileStatement(rt, true); }

void EndWhile(Runtime& rt) {
  auto& f = rt.flow;
  rt.loop.statement_handled = true;
  if (f.while_depth <= 0) {
    RuntimeError(rt, msg::kWhileMissing, "");
    return;
  }
  rt.loop.current_line = f.while_stack[f.while_depth] - 1;
  --f.while_depth;
}

// The label name: the argument as text.
ShortString LabelName(Runtime& rt) {
  EvalArg(rt, kRest, kTextDemand);
  return rt.eval.rr.text();
}

// Finds the label line and continues after it; true when found.
bool JumpToLabel(Runtime& rt, const ShortString& label) {
  ShortString key = label;
  key.push_back(':');
  key = Upper(key);
  auto& cache = rt.flow.label_target;
  auto it = cache.find(key.str());
  int target = 0;
  if (it != cache.end()) {
    target = it->second;
  } else {
    const size_t n = key.size();
    for (int line = 1; line <= rt.program.line_count && !target; ++line) {
      const std::string& s = rt.program.Line(line);
      if (s.size() < n + 1) continue;
      bool same = true;
      for (size_t k = 0; k < n && same; ++k) same = UpperLatin1(s[k + 1]) == key[k];
      if (same) target = line;
    }
    cache.emplace(key.str(), target);
  }
  if (target) {
    rt.loop.current_line = target;
    return true;
  }
  rt.loop.current_line = rt.program.line_count;
  RuntimeError(rt, msg::kLabelNotFound, key);
  return false;
}

void Goto(Runtime& rt) {
  rt.loop.statement_handled = true;
  JumpToLabel(rt, LabelName(rt));
}

void PushFrame(Runtime& rt) {
  auto& f = rt.flow;
  if (++f.call_depth > kMaxCallDepth) {
    RuntimeError(rt, msg::kCallNestingTooDeep, "");
    f.call_depth = kMaxCallDepth;
  }
  f.call_stack[f.call_depth] = CallFrame{rt.loop.current_line, rt.vars.SaveCounts()};
}

void Gosub(Runtime& rt) {
  rt.loop.statement_handled = true;
  ShortString label = LabelName(rt);
  PushFrame(rt);
  JumpToLabel(rt, label);
}

bool Pop(Runtime& rt) {
  auto& f = rt.flow;
  if (f.call_depth <= 0) return false;
  const CallFrame& fr = f.call_stack[f.call_depth];
  rt.loop.current_line = fr.line;
  rt.vars.RestoreCounts(fr.counts);
  --f.call_depth;
  return true;
}

// True when the text compares greater than a single blank.
bool AboveBlank(std::string_view t) { return t.compare(" ") > 0; }

void Return(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (AboveBlank(rt.loop.arg_text)) {
    EvalArg(rt, kRest, kAnyType);
    rt.vars.slots[0] = rt.eval.rr.Views();
  }
  if (!Pop(rt)) RuntimeError(rt, msg::kGosubOrProcMissing, "");
}

void EndProc(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!Pop(rt)) RuntimeError(rt, msg::kProcMissing, "");
}

void Proc(Runtime& rt) {
  rt.loop.statement_handled = true;
  rt.loop.arg_text = std::string_view();
  Land(rt, Scan(rt, rt.loop.current_line, kEndProc), msg::kEndProcNotFound);
}

}  // namespace

void ProcedureCall(Runtime& rt) {
  auto& at = rt.loop.arg_text;
  const std::string& line = rt.program.Line(rt.loop.current_line);
  rt.loop.statement_handled = true;
  PushFrame(rt);
  int target = line.size() > 2 ? ReadLe16(line.data() + 1) : line.size() > 1 ? Byte(line[1]) : 0;
  rt.loop.current_line = target;
  at = line.size() > 3 ? std::string_view(line).substr(3) : std::string_view();
  if (!AboveBlank(at)) return;
  rt.eval.list_end = false;
  for (int k = 1; k < 12 && !rt.eval.list_end; ++k) {
    auto saved = rt.vars.slots;
    EvalArg(rt, kList, kAnyType);
    rt.vars.slots = saved;
    rt.vars.slots[k] = rt.eval.rr.Views();
  }
}

void RegisterControlStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kIf] = If;
  s[cmd::kIfNot] = IfNot;
  s[cmd::kElse] = Else;
  s[cmd::kElseIf] = Else;
  s[cmd::kEndIf] = NoOperation;
  s[cmd::kWhile] = While;
  s[cmd::kWhileNot] = WhileNot;
  s[cmd::kEndWhile] = EndWhile;
  s[cmd::kGoto] = Goto;
  s[cmd::kGosub] = Gosub;
  s[cmd::kReturn] = Return;
  s[cmd::kEndProc] = EndProc;
  s[cmd::kProc] = Proc;
}

}  // namespace vestil
