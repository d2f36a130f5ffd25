// The menu statements (see menu_statements.h). Texts are taken with the
// text demand, numbers without a demand in their integer view; the host
// does the menu work and reports only whether an append or insert worked.
#include "dialogs/menu_statements.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

struct MenuFamily : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kMenus;
  MenuState state;
};

MenuState& State(Runtime& rt) { return rt.Family<MenuFamily>().state; }

int32_t Number(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.i;
}

ShortString Text(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kTextDemand);
  return rt.eval.rr.text();
}

void MenuCreationFailed(Runtime& rt) { RuntimeError(rt, msg::kMenuCreationFailed, ""); }

// The menu bar of the main window, created (empty) when the window has none.
// The main window itself is created first when it does not exist.
int32_t EnsureMenuBar(Runtime& rt) {
  rt.host.canvas->EnsureWindow();
  Menus& menus = *rt.host.menus;
  int32_t bar = menus.WindowMenu();
  if (bar == 0) {
    bar = menus.CreateMenu(false);
    menus.SetWindowMenu(bar);
  }
  return bar;
}

// LOADMENU module , name: the menu bar from a menu resource.
void LoadMenu(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!rt.host.canvas->HasTarget()) {
    RuntimeError(rt, msg::kWindowRequired, "");
    return;
  }
  const int32_t module = Number(rt, ',');
  const ShortString name = Text(rt, kRest);
  const int32_t menu = rt.host.menus->LoadResourceMenu(module, name);
  if (menu == 0) {
    RuntimeError(rt, msg::kMenuNotLoadable, name);
    return;
  }
  rt.host.menus->SetWindowMenu(menu);
}

// MENUITEM id , text: a command item on the menu bar.
void MenuItem(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t bar = EnsureMenuBar(rt);
  const int32_t id = Number(rt, ',');
  const ShortString text = Text(rt, kRest);
  if (!rt.host.menus->AppendItem(bar, id, text)) return MenuCreationFailed(rt);
  rt.host.menus->DrawMenuBar();
}

// MENUPOPUP text: a drop-down on the menu bar, which then receives the items.
void MenuPopup(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t bar = EnsureMenuBar(rt);
  const ShortString text = Text(rt, kRest);
  MenuState& s = State(rt);
  s.current_popup = rt.host.menus->CreateMenu(false);
  if (!rt.host.menus->AppendPopup(bar, s.current_popup, text)) return MenuCreationFailed(rt);
  rt.host.menus->DrawMenuBar();
}

void NewPopup(Runtime& rt) {
  rt.loop.statement_handled = true;
  State(rt).current_popup = rt.host.menus->CreateMenu(true);
}

void AppendItem(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t id = Number(rt, ',');
  const ShortString text = Text(rt, kRest);
  if (!rt.host.menus->AppendItem(State(rt).current_popup, id, text)) MenuCreationFailed(rt);
}

void Separator(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!rt.host.menus->AppendSeparator(State(rt).current_popup)) MenuCreationFailed(rt);
}

// SUBMENU text: opens one level of submenu inside the current pop-up.
void SubMenu(Runtime& rt) {
  rt.loop.statement_handled = true;
  MenuState& s = State(rt);
  if (s.submenu_open) {
    RuntimeError(rt, msg::kMenuNestingTooDeep, "");
    return;
  }
  const ShortString text = Text(rt, kRest);
  s.parent_popup = s.current_popup;
  s.submenu_open = true;
  s.current_popup = rt.host.menus->CreateMenu(false);
  if (!rt.host.menus->AppendPopup(s.parent_popup, s.current_popup, text)) MenuCreationFailed(rt);
}

// ENDSUBMENU: back to the saved parent, also without a SUBMENU before it.
void EndSubMenu(Runtime& rt) {
  rt.loop.statement_handled = true;
  MenuState& s = State(rt);
  s.current_popup = s.parent_popup;
  s.submenu_open = false;
}

// SHOWPOPUP x , y: the current pop-up at a client point; the menu is
// destroyed afterwards (it stays the current one, so appending to it fails),
// and the command of a chosen item is taken in before the next statement.
void ShowPopup(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t x = Number(rt, ',');
  const int32_t y = Number(rt, kRest);
  rt.host.menus->ShowPopup(State(rt).current_popup, x, y);
  rt.host.screen->PumpMessages();
}

// INSERTITEM before , id , text: nothing without a menu bar.
void InsertItem(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t before = Number(rt, ',');
  const int32_t id = Number(rt, ',');
  const ShortString text = Text(rt, kRest);
  const int32_t bar = rt.host.menus->WindowMenu();
  if (bar <= 0) return;
  if (!rt.host.menus->InsertItem(bar, before, id, text)) return MenuCreationFailed(rt);
  rt.host.menus->DrawMenuBar();
}

// CHECKITEM id , flag: any flag but 0 checks.
void CheckItem(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t id = Number(rt, ',');
  const int32_t flag = Number(rt, kRest);
  const int32_t bar = rt.host.menus->WindowMenu();
  if (bar > 0) rt.host.menus->CheckItem(bar, id, flag != 0);
  rt.host.menus->DrawMenuBar();
}

// ENABLEITEM id , state: 0 enabled, 1 greyed, 2 disabled; the value goes to
// the platform as it is.
void EnableItem(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t id = Number(rt, ',');
  const int32_t state = Number(rt, kRest);
  const int32_t bar = rt.host.menus->WindowMenu();
  if (bar > 0) rt.host.menus->EnableItem(bar, id, static_cast<uint32_t>(state));
  rt.host.menus->DrawMenuBar();
}

// REMOVEITEM id: a removed drop-down is not destroyed.
void RemoveItem(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t id = Number(rt, kRest);
  const int32_t bar = rt.host.menus->WindowMenu();
  if (bar > 0) rt.host.menus->RemoveItem(bar, id);
  rt.host.menus->DrawMenuBar();
}

}  // namespace

void RegisterMenuStatements(Runtime& rt) {
  rt.InstallFamily<MenuFamily>();
  auto& s = rt.statements;
  s[cmd::kLoadMenu] = LoadMenu;
  s[cmd::kMenuItem] = MenuItem;
  s[cmd::kMenuPopup] = MenuPopup;
  s[cmd::kNewPopup] = NewPopup;
  s[cmd::kAppendItem] = AppendItem;
  s[cmd::kSeparator] = Separator;
  s[cmd::kSubMenu] = SubMenu;
  s[cmd::kEndSubMenu] = EndSubMenu;
  s[cmd::kShowPopup] = ShowPopup;
  s[cmd::kInsertItem] = InsertItem;
  s[cmd::kCheckItem] = CheckItem;
  s[cmd::kEnableItem] = EnableItem;
  s[cmd::kRemoveItem] = RemoveItem;
}

}  // namespace vestil
