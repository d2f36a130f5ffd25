// The memo functions: @DBGETMEMO reads a memo into the dialog list with word
// wrap, @DBPUTMEMO writes the dialog list as a memo (data/dbase/memo.h).
#include <string>
#include <vector>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/dbase.h"
#include "data/dbase/memo.h"
#include "core/dialog_list.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

int FindMemoField(Runtime& rt, DbTable& t, const ShortString& name) {
  int i = FindField(t, name);
  if (i < 0) {
    t.current_field = FieldInfo();
    Engine(rt).Fail(602, name);
  }
  return i;
}

void DbGetMemo(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString name = rt.eval.rr.text();
  NumberResult(rt, ctx, -1, kTypeLong);
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  int i = FindMemoField(rt, *t, name);
  if (i >= 0) FieldText(*t, i);
  if (i < 0 || t->fields[i].type != 'M') {
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, -1, kTypeLong);
  }
  ListClear(rt);
  bool ok = true;
  int32_t start = MemoBlockNumber(FieldText(*t, i), ok);
  int32_t result = 0;
  // A blank or zero block number is no memo: the list stays empty.
  if (start > 0 && t->memo)
    result = ReadMemo(Engine(rt), *t, start, [&rt](std::string_view line) { return ListAdd(rt, line); });
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, result, kTypeLong);
}

void DbPutMemo(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kTextDemand);
  ShortString name = rt.eval.rr.text();
  NumberResult(rt, ctx, 0, kTypeLong);
  DbTable* t = CurrentTable(rt);
  if (!t) return RuntimeWarning(rt, msg::kTableNumberNotInUse, "");
  int i = FindMemoField(rt, *t, name);
  if (i < 0 || t->fields[i].type != 'M' || !t->memo) {
    if (i >= 0) FieldText(*t, i);
    RaiseEngineWarning(rt);
    return NumberResult(rt, ctx, 0, kTypeLong);
  }
  std::vector<std::string_view> lines;
  for (int32_t k = 0; k <= rt.dialog_list.last; ++k) lines.push_back(rt.dialog_list.items[static_cast<size_t>(k)].view());
  bool written = WriteMemo(Engine(rt), *t, i, lines);
  RaiseEngineWarning(rt);
  NumberResult(rt, ctx, written ? 1 : 0, kTypeLong);
}

}  // namespace

void RegisterDbaseMemo(Runtime& rt) {
  rt.eval.functions[fn::kDbGetMemo] = DbGetMemo;
  rt.eval.functions[fn::kDbPutMemo] = DbPutMemo;
}

}  // namespace vestil
