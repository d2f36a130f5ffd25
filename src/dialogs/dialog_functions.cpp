// The standard dialogs as script functions. Each takes its arguments, hands
// the dialog to the host, keeps its results for the system variables and
// repaints the main window, which the dialog covered.
#include "dialogs/dialog_functions.h"

#include <algorithm>

#include "base/tokens.h"
#include "core/dialog_list.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

int ListTemplate(int32_t style) { return style >= 1 && style <= 8 ? style : 7; }

bool ListTemplateSorts(int template_number) {
  return template_number == 3 || template_number == 4 || template_number == 7 || template_number == 8;
}

int EditTemplate(int32_t style) { return style == 2 ? 2 : 1; }

std::string EditText(const std::vector<ShortString>& items) {
  std::string text;
  for (const ShortString& item : items) {
    if (text.size() + item.size() + 2 >= kEditTextLimit) break;
    text.append(std::string_view(item));
    text.append("\r\n");
  }
  return text;
}

void OpenDialogFilter(std::string_view text, std::string& filter, std::string& name) {
  filter.assign(text);
  if (text.find('|') != std::string_view::npos) {
    std::replace(filter.begin(), filter.end(), '|', '\0');
    name.clear();
  } else {
    name.assign(text);
  }
}

std::string SaveDialogPattern(std::string_view name) {
  std::string pattern = "*";
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) pattern.append(name.substr(dot));
  if (pattern.size() > 255) pattern.resize(255);
  return pattern;
}

std::vector<size_t> ListBoxOrder(const std::vector<std::string>& items, bool sorted) {
  std::vector<size_t> order(items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (!sorted) return order;
  auto less = [&](size_t a, size_t b) {
    const std::string& x = items[a];
    const std::string& y = items[b];
    const size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
      const uint8_t cx = Byte(UpperLatin1(x[i])), cy = Byte(UpperLatin1(y[i]));
      if (cx != cy) return cx < cy;
    }
    return x.size() < y.size();
  };
  std::stable_sort(order.begin(), order.end(), less);
  return order;
}

bool TitleHasPrefix(std::string_view title, std::string_view prefix) {
  if (title.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (UpperLatin1(title[i]) != UpperLatin1(prefix[i])) return false;
  }
  return true;
}

namespace {

Dialogs& Host(Runtime& rt) { return *rt.host.dialogs; }
DialogListState& State(Runtime& rt) { return rt.dialog_list; }

std::string TextArg(Runtime& rt, char terminator, int demand = kAnyType) {
  EvalArg(rt, terminator, demand);
  return std::string(std::string_view(rt.eval.rr.text()));
}

int32_t NumberArg(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.i;
}

// The end of every dialog: OK is 1, Cancel 2; the main window is restored.
void Finish(Runtime& rt, bool ok) {
  State(rt).dialog_result = ok ? 1 : 2;
  rt.host.windows->RepaintMain();
}

// A dialog's text result: trimmed; empty after Cancel.
ShortString TextOutcome(Runtime& rt, CallContext& ctx, bool ok, std::string_view text) {
  ShortString result;
  if (ok) result.assign(TrimView(text));
  TextResult(rt, ctx, result);
  return result;
}

void MessageBoxFunction(Runtime& rt, CallContext& ctx) {
  const std::string text = TextArg(rt, ',', kTextDemand);
  const std::string caption = TextArg(rt, ',', kTextDemand);
  const int32_t style = NumberArg(rt, ')');
  const int answer = Host(rt).MessageBox(caption, text, static_cast<unsigned>(style));
  State(rt).dialog_result = answer;
  NumberResult(rt, ctx, answer, kTypeInteger);
  rt.host.windows->RepaintMain();
}

// @INPUT$ prompt , caption , initial text: the confirmed text trimmed, with
// its number conversions in the numeric views.
void InputFunction(Runtime& rt, CallContext& ctx) {
  const std::string prompt = TextArg(rt, ',');
  const std::string caption = TextArg(rt, ',');
  std::string text = TextArg(rt, ')');
  const bool ok = Host(rt).RunInputDialog(caption, prompt, text);
  const ShortString result = TextOutcome(rt, ctx, ok, text);
  int32_t number = 0;
  double real = 0.0;
  if (ok) {
    TextToInt(result, number);
    TextToFloat(result, real);
    State(rt).last_input_text = result;
  }
  rt.eval.rr.i = rt.eval.rr.l = number;
  rt.eval.rr.f = real;
  Finish(rt, ok);
}

// @LISTBOX$ caption , style: the dialog list in a list box; the item chosen.
void ListBoxFunction(Runtime& rt, CallContext& ctx) {
  const std::string caption = TextArg(rt, ',');
  const int style = ListTemplate(NumberArg(rt, ')'));
  std::vector<std::string> items;
  items.reserve(State(rt).items.size());
  for (const ShortString& item : State(rt).items) items.emplace_back(std::string_view(item));
  std::string chosen;
  const bool ok = Host(rt).RunListDialog(caption, style, items, State(rt).list_selection, chosen);
  const ShortString result = TextOutcome(rt, ctx, ok, chosen);
  if (ok) State(rt).last_chosen_text = result;
  Finish(rt, ok);
}

// @EDITBOX caption , style: the dialog list as lines of an edit; on OK the
// list is made again from the edit's lines.
void EditBoxFunction(Runtime& rt, CallContext& ctx) {
  const std::string caption = TextArg(rt, ',');
  const int style = EditTemplate(NumberArg(rt, ')'));
  std::vector<std::string> lines;
  const bool ok = Host(rt).RunEditDialog(caption, style, EditText(State(rt).items), lines);
  if (ok) {
    ListClear(rt);
    for (size_t i = 0; i < lines.size() && i < kEditLineLimit; ++i) {
      ListAdd(rt, std::string_view(lines[i]).substr(0, 255));
    }
  }
  NumberResult(rt, ctx, ok ? 1 : 0, kTypeInteger);
  Finish(rt, ok);
}

void FileOpenFunction(Runtime& rt, CallContext& ctx) {
  const std::string caption = TextArg(rt, ',');
  const std::string text = TextArg(rt, ')', kFileNameDemand);
  std::string filter, name;
  OpenDialogFilter(text, filter, name);
  const bool ok = Host(rt).RunFileDialog(false, caption, filter, "*.*", name);
  const ShortString result = TextOutcome(rt, ctx, ok, name);
  if (ok) State(rt).last_chosen_text = result;
  Finish(rt, ok);
}

void FileSaveFunction(Runtime& rt, CallContext& ctx) {
  const std::string caption = TextArg(rt, ',');
  std::string name = TextArg(rt, ')', kFileNameDemand);
  const std::string pattern = SaveDialogPattern(name);
  const std::string filter = pattern + '\0' + pattern;
  const bool ok = Host(rt).RunFileDialog(true, caption, filter, pattern, name);
  TextOutcome(rt, ctx, ok, name);
  Finish(rt, ok);
}

// ADDWINDOWS prefix: the titles of the top-level windows that start with it.
void AddWindows(Runtime& rt) {
  rt.loop.statement_handled = true;
  const std::string prefix = TextArg(rt, kRest);
  for (std::string title : Host(rt).TopLevelWindowTitles()) {
    if (title.size() > 255) title.resize(255);
    if (title.empty() || !TitleHasPrefix(title, prefix)) continue;
    if (!ListAdd(rt, title)) {
      RuntimeError(rt, msg::kTooManyItems, "");
      return;
    }
  }
}

void ListIndex(Runtime& rt, uint8_t) { rt.eval.rr.i = rt.dialog_list.list_selection; }
void InputDlg(Runtime& rt, uint8_t) { rt.eval.rr.set_text(rt.dialog_list.last_input_text); }
void Chosen(Runtime& rt, uint8_t) { rt.eval.rr.set_text(rt.dialog_list.last_chosen_text); }

}  // namespace

void RegisterDialogFunctions(Runtime& rt) {
  auto& f = rt.eval.functions;
  f[fn::kMessageBox] = MessageBoxFunction;
  f[fn::kInput] = InputFunction;
  f[fn::kListBox] = ListBoxFunction;
  f[fn::kEditBox] = EditBoxFunction;
  f[fn::kFileOpen] = FileOpenFunction;
  f[fn::kFileSave] = FileSaveFunction;
  rt.statements[cmd::kAddWindows] = AddWindows;
  auto& v = rt.eval.system_variables;
  v[sv::kListIndex] = ListIndex;
  v[sv::kInputDlg] = InputDlg;
  v[sv::kChosen] = Chosen;
}

}  // namespace vestil
