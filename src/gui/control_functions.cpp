// The control functions (see control_functions.h). Every message number
// here is the window system's own; the host passes them on as they are.
#include "gui/control_functions.h"

#include <string>

#include "base/tokens.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/dispatch.h"
#include "values/eval.h"

namespace vestil {

namespace {

// Messages sent through the host.
constexpr uint32_t kEmGetLineCount = 0x00ba;
constexpr uint32_t kBmGetCheck = 0x00f0;
constexpr uint32_t kCbAddString = 0x0143;
constexpr uint32_t kCbDeleteString = 0x0144;
constexpr uint32_t kLbAddString = 0x0180;
constexpr uint32_t kLbInsertString = 0x0181;
constexpr uint32_t kLbDeleteString = 0x0182;
constexpr uint32_t kLbGetCurSel = 0x0188;
constexpr uint32_t kLbGetTextLen = 0x018a;
constexpr uint32_t kLbGetCount = 0x018b;
constexpr uint32_t kLbFindString = 0x018f;

// The class and style of the creation family; the edit kinds' styles for a
// height of 0 or below follow.
constexpr uint32_t kPasswordEditStyle = 0x508100a0;
constexpr uint32_t kWrappingMultiEditStyle = 0x50a11144;
constexpr uint32_t kIconStyle = 0x50000003;
constexpr int32_t kScrollMax = 100;
// The text @LISTTOEDIT builds stays below this many characters.
constexpr size_t kEditTextLimit = 63999;
// @LISTGETTEXT$ reads items shorter than this.
constexpr int32_t kListItemLimit = 256;

struct ControlsFamily : FamilyState {
  static constexpr FamilySlot kSlot = FamilySlot::kControls;
  ControlState state;
};

Controls& Host(Runtime& rt) { return *rt.host.controls; }
gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }

int32_t Long(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.l;
}

int32_t Int(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kAnyType);
  return rt.eval.rr.i;
}

std::string Text(Runtime& rt, char terminator) {
  EvalArg(rt, terminator, kTextDemand);
  return std::string(std::string_view(rt.eval.rr.text()));
}

void Integer(Runtime& rt, CallContext& ctx, int32_t v) { NumberResult(rt, ctx, v, kTypeInteger); }

// The six arguments every creation function takes.
struct CreationArgs {
  int32_t parent = 0;
  std::string text;
  ControlPlace place;
};

CreationArgs ReadCreationArgs(Runtime& rt) {
  CreationArgs a;
  a.parent = Long(rt, ',');
  a.text = Text(rt, ',');
  a.place.x = Long(rt, ',');
  a.place.y = Long(rt, ',');
  a.place.width = Int(rt, ',');
  a.place.height = Long(rt, ')');
  return a;
}

// Windows take their height as a 16-bit signed value.
int32_t Height16(int32_t h) { return static_cast<int16_t>(h); }

void UseFontIfAsked(Runtime& rt, int32_t window) {
  if (window != 0 && Model(rt).controls_use_script_font) Host(rt).UseScriptFont(window);
}

// --- creation ---------------------------------------------------------------

void CreateControl(Runtime& rt, CallContext& ctx) {
  CreationArgs a = ReadCreationArgs(rt);
  const std::optional<ControlKind> kind = KindForToken(ctx.token, a.place.height);
  Controls& c = Host(rt);
  a.place.height = kind->height;
  if (kind->multi_line) c.InitCommonControls();
  int32_t& next_id = rt.Family<ControlsFamily>().state.next_control_id;
  const int32_t window = c.CreateControl(kind->class_name, kind->style, a.text, a.parent, a.place, next_id);
  ++next_id;
  if (kind->scroll_bar) {
    if (window != 0) c.SetScrollRange(window, 0, kScrollMax);
  } else {
    UseFontIfAsked(rt, window);
  }
  Integer(rt, ctx, window);
}

// @CREATEICON parent, name, x, y: the static loads the icon by its name from
// the program's resources and takes its size; no identifier, no font.
void CreateIcon(Runtime& rt, CallContext& ctx) {
  const int32_t parent = Long(rt, ',');
  const std::string name = Text(rt, ',');
  ControlPlace place;
  place.x = Long(rt, ',');
  place.y = Long(rt, ')');
  Integer(rt, ctx, Host(rt).CreateControl("STATIC", kIconStyle, name, parent, place, 0));
}

void CreateDialog(Runtime& rt, CallContext& ctx) {
  CreationArgs a = ReadCreationArgs(rt);
  a.place.height = Height16(a.place.height);
  const int32_t window = Host(rt).CreateEmptyDialog(a.parent, a.text, a.place);
  UseFontIfAsked(rt, window);
  Integer(rt, ctx, window);
}

void CreateWindow(Runtime& rt, CallContext& ctx) {
  CreationArgs a = ReadCreationArgs(rt);
  a.place.height = Height16(a.place.height);
  const uint32_t style = Model(rt).settings.options.style;
  Integer(rt, ctx, Host(rt).CreateScriptWindow(a.parent, a.text, style, a.place));
}

// @LOADDIALOG module, parent, template.
void LoadDialog(Runtime& rt, CallContext& ctx) {
  const int32_t module = Long(rt, ',');
  const int32_t parent = Long(rt, ',');
  const std::string name = Text(rt, ')');
  Integer(rt, ctx, Host(rt).LoadDialog(module, parent, name));
}

// --- controls by handle -----------------------------------------------------

void GetDlgItem(Runtime& rt, CallContext& ctx) {
  const int32_t dialog = Long(rt, ',');
  const int32_t id = Long(rt, ')');
  Integer(rt, ctx, Host(rt).DialogItem(dialog, id));
}

void GetText(Runtime& rt, CallContext& ctx) { TextResult(rt, ctx, Host(rt).WindowText(Long(rt, ')'))); }

// The state 0, 1 or 2; the dispatcher gives it the float view too.
void GetCheck(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Host(rt).Send(Long(rt, ')'), kBmGetCheck, 0, 0)); }

// @LISTTOEDIT: the dialog list's items, each with CR LF, as long as the text
// stays below the limit; the first item that would reach it ends the text.
void ListToEdit(Runtime& rt, CallContext& ctx) {
  const int32_t window = Long(rt, ')');
  std::string text;
  bool all = true;
  for (int32_t i = 0; i <= rt.dialog_list.last; ++i) {
    const std::string_view item(rt.dialog_list.items[static_cast<size_t>(i)]);
    if (text.size() + item.size() >= kEditTextLimit) {
      all = false;
      break;
    }
    text.append(item);
    text.append("\r\n");
  }
  rt.host.windows->SetCaption(window, text);
  Integer(rt, ctx, all ? 1 : 0);
}

void GetLineCount(Runtime& rt, CallContext& ctx) {
  Integer(rt, ctx, Host(rt).Send(Long(rt, ')'), kEmGetLineCount, 0, 0));
}

void GetLine(Runtime& rt, CallContext& ctx) {
  const int32_t window = Long(rt, ',');
  const int32_t line = Long(rt, ')');
  TextResult(rt, ctx, Host(rt).EditLine(window, line));
}

// @LISTFILL and @COMBOFILL: every item of the dialog list in order; the index
// of the last one, -1 for an empty list.
void Fill(Runtime& rt, CallContext& ctx, uint32_t message) {
  const int32_t window = Long(rt, ')');
  int32_t index = -1;
  for (int32_t i = 0; i <= rt.dialog_list.last; ++i)
    index = Host(rt).SendText(window, message, 0, std::string_view(rt.dialog_list.items[static_cast<size_t>(i)]));
  Integer(rt, ctx, index);
}
void ListFill(Runtime& rt, CallContext& ctx) { Fill(rt, ctx, kLbAddString); }
void ComboFill(Runtime& rt, CallContext& ctx) { Fill(rt, ctx, kCbAddString); }

void Add(Runtime& rt, CallContext& ctx, uint32_t message) {
  const int32_t window = Long(rt, ',');
  const std::string text = Text(rt, ')');
  Integer(rt, ctx, Host(rt).SendText(window, message, 0, text));
}
void ListAdd(Runtime& rt, CallContext& ctx) { Add(rt, ctx, kLbAddString); }
void ComboAdd(Runtime& rt, CallContext& ctx) { Add(rt, ctx, kCbAddString); }

// @LISTINSERT handle, index, text and @LISTFIND handle, start, text.
void IndexAndText(Runtime& rt, CallContext& ctx, uint32_t message) {
  const int32_t window = Long(rt, ',');
  const int32_t index = Long(rt, ',');
  const std::string text = Text(rt, ')');
  Integer(rt, ctx, Host(rt).SendText(window, message, index, text));
}
void ListInsert(Runtime& rt, CallContext& ctx) { IndexAndText(rt, ctx, kLbInsertString); }
void ListFind(Runtime& rt, CallContext& ctx) { IndexAndText(rt, ctx, kLbFindString); }

void Delete(Runtime& rt, CallContext& ctx, uint32_t message) {
  const int32_t window = Long(rt, ',');
  const int32_t index = Long(rt, ')');
  Integer(rt, ctx, Host(rt).Send(window, message, index, 0));
}
void ListDelete(Runtime& rt, CallContext& ctx) { Delete(rt, ctx, kLbDeleteString); }
void ComboDelete(Runtime& rt, CallContext& ctx) { Delete(rt, ctx, kCbDeleteString); }

void ListCount(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Host(rt).Send(Long(rt, ')'), kLbGetCount, 0, 0)); }
void ListSel(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Host(rt).Send(Long(rt, ')'), kLbGetCurSel, 0, 0)); }

// @LISTGETTEXT$: items of 256 characters or more, and missing ones, read as
// the empty text.
void ListGetText(Runtime& rt, CallContext& ctx) {
  const int32_t window = Long(rt, ',');
  const int32_t index = Long(rt, ')');
  const int32_t length = Host(rt).Send(window, kLbGetTextLen, index, 0);
  TextResult(rt, ctx, length >= 0 && length < kListItemLimit ? Host(rt).ListItem(window, index) : std::string());
}

void SendMessage(Runtime& rt, CallContext& ctx) {
  const int32_t window = Long(rt, ',');
  const int32_t message = Long(rt, ',');
  const int32_t wparam = Int(rt, ',');
  const int32_t lparam = Long(rt, ')');
  Integer(rt, ctx, Host(rt).Send(window, static_cast<uint32_t>(message), wparam, lparam));
}

void GetActiveWindow(Runtime& rt, CallContext& ctx) {
  Integer(rt, ctx, Host(rt).ActiveWindow());
}

void SetActiveWindow(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Host(rt).Activate(Long(rt, ')'))); }

// A show command outside 0..9 hides the window.
void ShowWindow(Runtime& rt, CallContext& ctx) {
  const int32_t window = Long(rt, ',');
  int32_t command = Long(rt, ')');
  if (command < 0 || command > 9) command = 0;
  Integer(rt, ctx, Host(rt).Show(window, command) ? 1 : 0);
}

void SetFocus(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Host(rt).Focus(Long(rt, ')'))); }

// The focused window, negated while F1 is held in WAITINPUT.
void GetFocus(Runtime& rt, CallContext& ctx) {
  Integer(rt, ctx, Model(rt).events.FocusValue(rt.host.screen->FocusHandle()));
}

void DestroyWindow(Runtime& rt, CallContext& ctx) { Integer(rt, ctx, Host(rt).Destroy(Long(rt, ')')) ? 1 : 0); }

}  // namespace

std::optional<ControlKind> KindForToken(uint8_t token, int32_t height) {
  const bool flat = height <= 0;
  // The absolute value, kept in 32 bits.
  const int32_t absolute = flat ? static_cast<int32_t>(0u - static_cast<uint32_t>(height)) : height;
  switch (token) {
    case fn::kCreateButton: return ControlKind{"BUTTON", 0x50010000, height};
    case fn::kCreateDefButton: return ControlKind{"BUTTON", 0x50010001, height};
    case fn::kCreateCheckBox: return ControlKind{"BUTTON", 0x50010003, height};
    case fn::kCreateRadioButton: return ControlKind{"BUTTON", 0x50010009, height};
    case fn::kCreateGroupBox: return ControlKind{"BUTTON", 0x50030007, height};
    case fn::kCreateText: return ControlKind{"STATIC", 0x50000000, height};
    case fn::kCreateEdit: return ControlKind{"EDIT", flat ? kPasswordEditStyle : 0x50810080, absolute};
    case fn::kCreateMultiEdit:
      return ControlKind{"EDIT", flat ? kWrappingMultiEditStyle : 0x50b11144, absolute, false, true};
    case fn::kCreateListBox: return ControlKind{"LISTBOX", 0x50b101c1, height};
    case fn::kCreateSortedListBox: return ControlKind{"LISTBOX", 0x50b101c3, height};
    case fn::kCreateComboBox: return ControlKind{"COMBOBOX", 0x50b10303, height};
    case fn::kCreateHScroll: return ControlKind{"SCROLLBAR", 0x50810000, height, true};
    case fn::kCreateVScroll: return ControlKind{"SCROLLBAR", 0x50010001, height, true};
    default: return std::nullopt;
  }
}

void RegisterControlFunctions(Runtime& rt) {
  rt.InstallFamily<ControlsFamily>();
  auto& f = rt.eval.functions;
  for (uint8_t token : {fn::kCreateButton, fn::kCreateDefButton, fn::kCreateCheckBox, fn::kCreateRadioButton,
                        fn::kCreateGroupBox, fn::kCreateText, fn::kCreateEdit, fn::kCreateMultiEdit,
                        fn::kCreateListBox, fn::kCreateSortedListBox, fn::kCreateComboBox, fn::kCreateHScroll,
                        fn::kCreateVScroll})
    f[token] = CreateControl;
  f[fn::kCreateIcon] = CreateIcon;
  f[fn::kCreateDialog] = CreateDialog;
  f[fn::kCreateWindow] = CreateWindow;
  f[fn::kLoadDialog] = LoadDialog;
  f[fn::kGetDlgItem] = GetDlgItem;
  f[fn::kGetText] = GetText;
  f[fn::kGetCheck] = GetCheck;
  f[fn::kListToEdit] = ListToEdit;
  f[fn::kGetLineCount] = GetLineCount;
  f[fn::kGetLine] = GetLine;
  f[fn::kListFill] = ListFill;
  f[fn::kComboFill] = ComboFill;
  f[fn::kListAdd] = ListAdd;
  f[fn::kComboAdd] = ComboAdd;
  f[fn::kListInsert] = ListInsert;
  f[fn::kListDelete] = ListDelete;
  f[fn::kComboDelete] = ComboDelete;
  f[fn::kListCount] = ListCount;
  f[fn::kListSel] = ListSel;
  f[fn::kListGetText] = ListGetText;
  f[fn::kListFind] = ListFind;
  f[fn::kSendMessage] = SendMessage;
  f[fn::kGetActiveWindow] = GetActiveWindow;
  f[fn::kSetActiveWindow] = SetActiveWindow;
  f[fn::kShowWindow] = ShowWindow;
  f[fn::kSetFocus] = SetFocus;
  f[fn::kGetFocus] = GetFocus;
  f[fn::kDestroyWindow] = DestroyWindow;
}

}  // namespace vestil
