// Icons and the mouse cursor (see icon_statements.h). The icon statements
// need no window: they load the icon, so a name that names none is reported
// in every runner, and draw it where there is a target. An icon is drawn at
// its own size, also while printing.
#include "gui/icon_statements.h"

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "gui/bitmap_statements.h"
#include "gui/draw_statements.h"
#include "host/host.h"
#include "values/eval.h"

namespace vestil {
namespace {

constexpr int32_t kSystemIcons = 5;        // IDI_APPLICATION .. IDI_ASTERISK
constexpr uint16_t kFirstSystemIcon = 32512;  // IDI_APPLICATION
constexpr int32_t kCountQuery = -1;        // an icon index that asks for the count instead

int32_t Number(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kNumberDemand);
  return rt.eval.rr.l;
}

ShortString Text(Runtime& rt, char terminator, int demand = kTextDemand) {
  EvalArg(rt, terminator, demand);
  return rt.eval.rr.text();
}

void Draw(Runtime& rt, const IconSource& icon, int32_t x, int32_t y, std::string_view detail) {
  if (!rt.host.icons->DrawIcon(icon, x, y)) RuntimeError(rt, msg::kIconNotFound, detail);
}

// DRAWICON name , x , y: an icon resource of the runner.
void DrawIcon(Runtime& rt) {
  rt.loop.statement_handled = true;
  IconSource icon;
  icon.name = ParseImageName(Text(rt, ','));
  const int32_t x = Number(rt, ',');
  const int32_t y = Number(rt, kRest);
  Draw(rt, icon, x, y, icon.name.text);
}

// DRAWEXTICON module , name , x , y: an icon resource of a loaded module.
void DrawExtIcon(Runtime& rt) {
  rt.loop.statement_handled = true;
  IconSource icon;
  icon.module = Number(rt, ',');
  icon.name = ParseImageName(Text(rt, ','));
  const int32_t x = Number(rt, ',');
  const int32_t y = Number(rt, kRest);
  Draw(rt, icon, x, y, icon.name.text);
}

// DRAWFILEICON file , index , x , y: icon number index of an executable,
// a library or an icon file. Index -1 would ask for the count of icons,
// which is no icon.
void DrawFileIcon(Runtime& rt) {
  rt.loop.statement_handled = true;
  IconSource icon;
  icon.kind = IconSource::Kind::kFile;
  const ShortString file = Text(rt, ',', kFileNameDemand);
  icon.index = Number(rt, ',');
  const int32_t x = Number(rt, ',');
  const int32_t y = Number(rt, kRest);
  if (icon.index == kCountQuery) {
    RuntimeError(rt, msg::kIconNotFound, file);
    return;
  }
  icon.file = rt.host.files->MapPath(file);
  Draw(rt, icon, x, y, file);
}

// DRAWSYSICON n , x , y: the system icons 0 (application) to 4 (asterisk).
void DrawSysIcon(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t n = Number(rt, ',');
  const int32_t x = Number(rt, ',');
  const int32_t y = Number(rt, kRest);
  IconSource icon;
  icon.kind = IconSource::Kind::kSystem;
  if (n >= 0 && n < kSystemIcons) {
    icon.number = static_cast<uint16_t>(kFirstSystemIcon + n);
    if (rt.host.icons->DrawIcon(icon, x, y)) return;
  }
  RuntimeError(rt, msg::kNoSuchSystemIcon, "");
}

// SETICON name: the class icon of the main window.
void SetIcon(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!RequireWindow(rt)) return;
  const ImageName name = ParseImageName(Text(rt, kRest));
  if (!rt.host.icons->SetWindowIcon(name)) RuntimeError(rt, msg::kIconNotFound, name.text);
}

// SETCURSOR n: a system cursor or one of the runner's cursors.
void SetCursor(Runtime& rt) {
  rt.loop.statement_handled = true;
  const std::optional<CursorChoice> c = CursorOfNumber(Number(rt, kRest));
  if (!c) {
    RuntimeError(rt, msg::kNoSuchCursor, "");
    return;
  }
  if (c->system != 0) {
    rt.host.icons->SetSystemCursor(c->system);
  } else {
    ImageName name;
    name.text = c->resource;
    rt.host.icons->SetResourceCursor(std::nullopt, name);
  }
}

// SETEXTCURSOR module , name: a cursor resource of a loaded module.
void SetExtCursor(Runtime& rt) {
  rt.loop.statement_handled = true;
  const int32_t module = Number(rt, ',');
  rt.host.icons->SetResourceCursor(module, ParseImageName(Text(rt, kRest)));
}

// SHOWCURSOR flag: 0 hides the mouse pointer, anything else shows it.
void ShowCursor(Runtime& rt) {
  rt.loop.statement_handled = true;
  rt.host.icons->ShowMousePointer(Number(rt, kRest) != 0);
}

}  // namespace

ImageName ParseImageName(std::string_view text) {
  ImageName name;
  name.text = text;
  const int32_t number = gui::ResourceNumber(text);
  if (number >= 0) {
    name.by_number = true;
    name.number = static_cast<uint16_t>(number);
  }
  return name;
}

std::optional<CursorChoice> CursorOfNumber(int32_t n) {
  constexpr uint16_t kArrow = 32512;   // IDC_ARROW .. IDC_UPARROW: 0..4
  constexpr uint16_t kSize = 32635;    // IDC_SIZE .. IDC_SIZENS: 5..10
  if (n >= 0 && n <= 4) return CursorChoice{static_cast<uint16_t>(kArrow + n), {}};
  if (n >= 5 && n <= 10) return CursorChoice{static_cast<uint16_t>(kSize + n), {}};
  if (n >= 11 && n <= 13) return CursorChoice{0, kRunnerCursors[static_cast<size_t>(n - 11)]};
  return std::nullopt;
}

void RegisterIconStatements(Runtime& rt) {
  auto& s = rt.statements;
  s[cmd::kDrawIcon] = DrawIcon;
  s[cmd::kDrawExtIcon] = DrawExtIcon;
  s[cmd::kDrawFileIcon] = DrawFileIcon;
  s[cmd::kDrawSysIcon] = DrawSysIcon;
  s[cmd::kSetIcon] = SetIcon;
  s[cmd::kSetCursor] = SetCursor;
  s[cmd::kSetExtCursor] = SetExtCursor;
  s[cmd::kShowCursor] = ShowCursor;
}

}  // namespace vestil
