#pragma once
// The menus of the main window: the menu bar, its drop-downs and submenus,
// and free pop-up menus. Menus travel as 32-bit handle numbers (0: none);
// item identifiers are the script's integers, and every item is found by its
// identifier. A host without windows keeps menus of its own that nobody sees,
// so that a script meets the same failures in both runners.
#include <cstdint>
#include <string_view>

namespace vestil {

class Menus {
 public:
  virtual ~Menus() = default;
  // The menu bar the main window shows; 0 without a window or a menu bar.
  virtual int32_t WindowMenu() = 0;
  // Makes `menu` the main window's menu bar.
  virtual void SetWindowMenu(int32_t menu) = 0;
  // A menu resource of `module` (0: the runner itself); 0 when it does not load.
  virtual int32_t LoadResourceMenu(int32_t module, std::string_view name) = 0;
  // A new empty menu: a bar or drop-down (popup false) or a free pop-up.
  virtual int32_t CreateMenu(bool popup) = 0;
  // Appending to a menu; false when the menu does not exist.
  virtual bool AppendItem(int32_t menu, int32_t id, std::string_view text) = 0;
  virtual bool AppendPopup(int32_t menu, int32_t popup, std::string_view text) = 0;
  virtual bool AppendSeparator(int32_t menu) = 0;
  // Inserts a command item before the item `before` anywhere in the tree of
  // `menu`; false when there is no such item.
  virtual bool InsertItem(int32_t menu, int32_t before, int32_t id, std::string_view text) = 0;
  // Item states; an item that does not exist is left alone.
  virtual void CheckItem(int32_t menu, int32_t id, bool checked) = 0;
  virtual void EnableItem(int32_t menu, int32_t id, uint32_t state) = 0;
  virtual void RemoveItem(int32_t menu, int32_t id) = 0;
  // Redraws the main window's menu bar.
  virtual void DrawMenuBar() = 0;
  // Shows `menu` at the client point (x, y) of the main window until the user
  // chooses or cancels (a choice is posted as a command), then destroys the
  // menu and repaints the window.
  virtual void ShowPopup(int32_t menu, int32_t x, int32_t y) = 0;
};

}  // namespace vestil
