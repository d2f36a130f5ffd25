// Statements that act on the run of the program or on its surroundings.
#include "core/program_control.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

void End(Runtime& rt) {
  rt.loop.stop_requested = true;
  rt.loop.statement_handled = true;
}

void Execute(Runtime& rt) {
  EvalArg(rt, kRest, kFileNameDemand);
  rt.host.system->Execute(rt.eval.rr.text());
  rt.loop.statement_handled = true;
}

void ExecuteEnd(Runtime& rt) {
  Execute(rt);
  rt.loop.stop_requested = true;
}

void Help(Runtime& rt) {
  EvalArg(rt, ',', kFileNameDemand);
  ShortString file = rt.eval.rr.text();
  EvalArg(rt, kRest, kTextDemand);
  const ShortString& topic = rt.eval.rr.text();
  constexpr unsigned kHelpOnHelp = 4, kContents = 3, kPartialKey = 0x105;
  if (topic == "?") rt.host.system->Help(file, kHelpOnHelp, "");
  else if (topic == "*") rt.host.system->Help(file, kContents, "");
  else rt.host.system->Help(file, kPartialKey, topic);
  rt.loop.statement_handled = true;
}

void Randomize(Runtime& rt) {
  rt.random_seed = rt.host.system->MillisecondsSinceMidnightUtc();
  rt.loop.statement_handled = true;
}

void DefaultBeep(Runtime& rt) {
  rt.host.sound->DefaultBeep();
  rt.loop.statement_handled = true;
}

}  // namespace

void RegisterProgramControlStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kEnd] = End;
  s[cmd::kExecute] = Execute;
  s[cmd::kExecuteEnd] = ExecuteEnd;
  s[cmd::kHelp] = Help;
  s[cmd::kRandomize] = Randomize;
  s[cmd::kDefaultBeep] = DefaultBeep;
}

}  // namespace vestil
