// The dialog list: the program-wide list of text items that dialogs, list
// statements, memo texts and SQL listings share.
#include "core/dialog_list.h"

#include "core/runtime.h"

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

}  // namespace vestil
