// The statements and functions that fill and read the dialog list without a
// dialog: CLEARLIST, ADDLIST, SETLIST, ADDFILES and @LISTITEM$.
#include "dialogs/list_statements.h"

#include <string>

#include "base/tokens.h"
#include "core/dialog_list.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {
namespace {

void ClearList(Runtime& rt) {
  ListClear(rt);
  rt.loop.statement_handled = true;
}

void AddList(Runtime& rt) {
  EvalArg(rt, kRest, kAnyType);
  if (!ListAdd(rt, rt.eval.rr.text())) RuntimeError(rt, msg::kTooManyItems, "");
  rt.loop.statement_handled = true;
}

void SetList(Runtime& rt) {
  EvalArg(rt, '=', kAnyType);
  const int32_t index = rt.eval.rr.i;
  EvalArg(rt, kRest, kAnyType);
  if (!ListSet(rt, index, rt.eval.rr.text())) RuntimeError(rt, msg::kNoSuchItem, "");
  rt.loop.statement_handled = true;
}

// Every directory entry that matches the pattern; a plain directory shows as
// "[name]", a directory with any further attribute (read-only, hidden) as its
// bare name.
void AddFiles(Runtime& rt) {
  rt.loop.statement_handled = true;
  EvalArg(rt, kRest, kFileNameDemand);
  ShortString pattern = rt.eval.rr.text();
  for (const FoundFile& f : rt.host.files->FindFiles(rt.host.files->MapPath(pattern))) {
    std::string name = f.attributes == kAttributeDirectory ? "[" + f.name + "]" : f.name;
    if (!ListAdd(rt, name)) {
      RuntimeError(rt, msg::kTooManyItems, "");
      return;
    }
  }
}

void ListItem(Runtime& rt, CallContext& ctx) {
  EvalArg(rt, ')', kAnyType);
  const int32_t index = rt.eval.rr.i;
  ShortString item;
  if (index > rt.dialog_list.last) RuntimeError(rt, msg::kNotThatManyItems, "");
  else item = ListGet(rt, index);  // a negative index gives the empty text
  rt.eval.rr.set_text(item);
  rt.eval.rr.type = kTypeString;
  ctx.handled = true;
}

}  // namespace

void RegisterListStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kClearList] = ClearList;
  s[cmd::kAddList] = AddList;
  s[cmd::kSetList] = SetList;
  s[cmd::kAddFiles] = AddFiles;
  rt.eval.functions[fn::kListItem] = ListItem;
}

}  // namespace vestil
