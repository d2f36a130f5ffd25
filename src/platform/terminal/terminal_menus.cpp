// The console runner's menus: a table of menus and their items that no
// window shows. Items are found by identifier through the whole tree, as
// Windows finds them; a shown pop-up is destroyed with its submenus.
#include <algorithm>

#include "platform/terminal/terminal_host.h"

namespace vestil {

std::vector<TerminalMenus::Item>* TerminalMenus::Find(int32_t menu) {
  auto it = menus_.find(menu);
  return it == menus_.end() ? nullptr : &it->second;
}

int32_t TerminalMenus::CreateMenu(bool) {
  const int32_t handle = next_handle_;
  next_handle_ += 4;
  menus_[handle];
  return handle;
}

bool TerminalMenus::AppendItem(int32_t menu, int32_t id, std::string_view) {
  std::vector<Item>* items = Find(menu);
  if (!items) return false;
  items->push_back(Item{id, 0});
  return true;
}

bool TerminalMenus::AppendPopup(int32_t menu, int32_t popup, std::string_view) {
  std::vector<Item>* items = Find(menu);
  if (!items || !Find(popup)) return false;
  items->push_back(Item{0, popup});
  return true;
}

bool TerminalMenus::AppendSeparator(int32_t menu) {
  std::vector<Item>* items = Find(menu);
  if (!items) return false;
  items->push_back(Item{0, 0});
  return true;
}

bool TerminalMenus::InsertItem(int32_t menu, int32_t before, int32_t id, std::string_view text) {
  std::vector<Item>* items = Find(menu);
  if (!items) return false;
  for (size_t i = 0; i < items->size(); ++i) {
    const Item item = (*items)[i];
    if (item.popup != 0) {
      if (InsertItem(item.popup, before, id, text)) return true;
    } else if (item.id == before) {
      items->insert(items->begin() + static_cast<std::ptrdiff_t>(i), Item{id, 0});
      return true;
    }
  }
  return false;
}

void TerminalMenus::RemoveItem(int32_t menu, int32_t id) { Remove(menu, id); }

// The first item of that identifier, depth first; a removed drop-down stays
// alive.
bool TerminalMenus::Remove(int32_t menu, int32_t id) {
  std::vector<Item>* items = Find(menu);
  if (!items) return false;
  for (size_t i = 0; i < items->size(); ++i) {
    const Item item = (*items)[i];
    if (item.popup != 0) {
      if (Remove(item.popup, id)) return true;
    } else if (item.id == id) {
      items->erase(items->begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

void TerminalMenus::Destroy(int32_t menu) {
  std::vector<Item>* items = Find(menu);
  if (!items) return;
  std::vector<Item> gone = std::move(*items);
  menus_.erase(menu);
  for (const Item& item : gone)
    if (item.popup != 0) Destroy(item.popup);
  if (bar_ == menu) bar_ = 0;
}

void TerminalMenus::ShowPopup(int32_t menu, int32_t, int32_t) { Destroy(menu); }

}  // namespace vestil
