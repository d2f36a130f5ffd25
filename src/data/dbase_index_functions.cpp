// The index functions DBINDEX, @DBUSEINDEX and @DBSEEK over the NDX engine
// of data/dbase/index.h.
#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/channels.h"
#include "data/dbase.h"
#include "data/dbase/index.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

void DbIndex(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, '>', kTextDemand);
  std::string expr(TrimView(rt.eval.rr.text().view()));
  EvalArg(rt, kRest, kFileNameDemand);
  std::string name(TrimView(rt.eval.rr.text().view()));
  if (name.find_first_of(" ,") != std::string::npos) return RuntimeError(rt, msg::kBadIndexFileName, name);
  DbEngine& e = Engine(rt);
  e.Clear();
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  NdxCreate(e, *t, expr, name);
  RaiseEngineWarning(rt);
}

void DbUseIndex(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kFileNameDemand);
  std::string names(rt.eval.rr.text().view());
  NumberResult(rt, ctx, 0, kTypeLong);
  DbEngine& e = Engine(rt);
  e.Clear();
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  NdxUse(e, *t, names, Channels(rt).file_open_mode == 0);
  bool ok = !e.Failed();
  // A missing index gives only the result 0; a damaged one, or one that was
  // not closed after a change and may lack records, is reported.
  if (e.error.code == 100 || e.error.code == 901) RaiseEngineWarning(rt);
  e.Clear();
  NumberResult(rt, ctx, ok ? 1 : 0, kTypeLong);
}

void DbSeek(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ',', kTextDemand);
  std::string key = ToOemIfNeeded(rt, rt.eval.rr.text().view());
  EvalArg(rt, ')', kNumberDemand);
  bool exact = rt.eval.rr.l != 0;
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  int32_t result = NdxSeek(Engine(rt), *t, key, exact);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, result, kTypeLong);
}

}  // namespace

void RegisterDbaseIndex(Runtime& rt) {
  rt.statements[cmd::kDbIndex] = DbIndex;
  rt.eval.functions[fn::kDbUseIndex] = DbUseIndex;
  rt.eval.functions[fn::kDbSeek] = DbSeek;
}

}  // namespace vestil
