// The dialog list and the statements and functions that fill and read it
// without a dialog.
#include "data/dialog_list.h"

#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

void ListClear(Runtime& rt) {
  std::vector<ShortString>().swap(rt.dialog_list.items);
  rt.dialog_list.last = -1;
}

bool ListAdd(Runtime& rt, std::string_view text) {
  auto& list = rt.dialog_list;
  if (list.last >= kMaxDialogListItems - 1) return false;
  list.items.emplace_back(text);
  ++list.last;
  return true;
}

bool ListSet(Runtime& rt, int32_t index, std::string_view text) {
  auto& list = rt.dialog_list;
  if (index < 0 || index > list.last) return false;
  list.items[static_cast<size_t>(index)].assign(text);
  return true;
}

ShortString ListGet(const Runtime& rt, int32_t index) {
  const auto& list = rt.dialog_list;
  if (index < 0 || index > list.last) return ShortString();
  return list.items[static_cast<size_t>(index)];
}

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
  for (const FoundFile& f : rt.host->FindFiles(rt.host->MapPath(pattern))) {
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

void RegisterDialogList(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kClearList] = ClearList;
  s[cmd::kAddList] = AddList;
  s[cmd::kSetList] = SetList;
  s[cmd::kAddFiles] = AddFiles;
  rt.eval.functions[fn::kListItem] = ListItem;
}

}  // namespace vestil
