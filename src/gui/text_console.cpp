// Console text: PRINT, INPUT, LOCATE and the number-format statements. The
// console's grid is the window model's: each write goes into it, and the
// screen gets the bytes and the operations that paint them. A screen that
// reads no lines itself (a window) has its keys edited into a line here.
#include "gui/text_console.h"

#include <algorithm>
#include <string>

#include "base/tokens.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/runtime.h"
#include "data/channels.h"
#include "gui/draw_statements.h"
#include "gui/gui_state.h"
#include "host/host.h"
#include "values/eval.h"
#include "values/real48.h"

namespace vestil {
namespace {

constexpr int kGridColumns = 80;
constexpr int kGridRows = 32;
constexpr size_t kConsoleLineChars = 126;

// The channel form ("#" channel ",") takes the channel off ArgText: 1..8, or
// -1 after an error. 0 is the console.
int ChannelForm(Runtime& rt) {
  rt.loop.statement_handled = true;
  if (!rt.loop.arg_text.empty() && rt.loop.arg_text[0] == '#') {
    int n = TakeChannelPrefix(rt);
    return n ? n : -1;
  }
  return 0;
}

gui::WindowModel& Model(Runtime& rt) { return rt.Family<GuiState>().model; }

// The write into the grid (which has planes only while a window shows it),
// then on the screen.
void ShowConsoleText(Runtime& rt, std::string_view bytes) {
  const std::vector<GridOp> ops = Model(rt).grid.Write(bytes);
  rt.host.screen->ShowText(bytes, ops);
}

// Console text from the families below (ODBC): ignored without a console.
void WriteConsoleText(Runtime& rt, std::string_view bytes) {
  if (rt.host.screen->OpenConsole()) ShowConsoleText(rt, bytes);
}

// Console text; a screen without a text console stops the statement.
void ConsoleWrite(Runtime& rt, std::string_view bytes, const char* keyword) {
  if (!rt.host.screen->OpenConsole()) {
    NotImplemented(rt, keyword);
    return;
  }
  ShowConsoleText(rt, bytes);
}

// The oldest queued code; while none is queued the screen's messages run,
// with the caret shown at the cursor, and the processor is yielded briefly.
uint8_t ReadKey(Runtime& rt) {
  gui::WindowModel& m = Model(rt);
  uint8_t code = 0;
  if (m.events.TakeKey(code)) return code;
  struct Caret {
    Screen& screen;
    ~Caret() { screen.HideCaret(); }
  } caret{*rt.host.screen};
  for (;;) {
    rt.host.screen->ShowCaret(m.grid.cursor_x(), m.grid.cursor_y());
    rt.host.screen->PumpMessages();
    if (m.events.TakeKey(code)) return code;
    rt.host.events->WaitForEvent(WaitFor::kKey, false, true);
  }
}

// A line typed key by key into the console, echoed as it is edited; the
// line ends with a new line on the console.
std::string ReadLineByKeys(Runtime& rt, size_t max_chars) {
  gui::LineEditor editor(static_cast<int>(std::min<size_t>(max_chars, gui::kConsoleLineBuffer - 2)) + 2);
  std::string echo;
  for (;;) {
    const bool done = editor.Feed(ReadKey(rt), echo);
    if (!echo.empty()) WriteConsoleText(rt, echo);
    if (done) break;
  }
  WriteConsoleText(rt, "\n");
  return editor.line();
}

void Print(Runtime& rt) {
  auto& rr = rt.eval.rr;
  if (rt.loop.arg_text.empty()) {
    // An empty PRINT writes a new line on the console, which is refused
    // while printing as any other console text is.
    if (RefusedWhilePrinting(rt, "PRINT")) {
      rt.loop.statement_handled = true;
      return;
    }
    ConsoleWrite(rt, "\n", "PRINT");
    rt.loop.statement_handled = true;
    return;
  }
  const int channel = ChannelForm(rt);
  if (channel < 0) return;
  if (!channel && RefusedWhilePrinting(rt, "PRINT")) return;
  if (channel && rt.loop.arg_text.empty()) {
    // "PRINT #n" alone writes an empty line.
    ChannelWrite(rt, channel, "\r\n");
    return;
  }
  // A channel gets each item at once, and its lines end with CR LF.
  auto write = [&](std::string_view bytes) {
    if (channel) ChannelWrite(rt, channel, bytes);
    else ConsoleWrite(rt, bytes, "PRINT");
  };
  rt.eval.list_end = false;
  do {
    EvalArg(rt, kList, kAnyType);
    ShortString item;
    switch (rr.type) {
      case kTypeInteger:
      case kTypeLong:
        item = FormatInteger(rr.i, rt.format.number_width);
        break;
      case kTypeFloat:
        item = FormatFloat(rr.f, rt.format.decimal_places, rt.format.number_width);
        break;
      default: {
        const ShortString& t = rr.text();
        for (int n = static_cast<int>(t.size()); n < rt.format.string_width && item.size() < ShortString::kMax; ++n)
          item.push_back(' ');
        item.append(t);
        break;
      }
    }
    write(item);
    if (rt.eval.delimiter == ",") write(" ");
    else if (rt.eval.delimiter == " ") write(channel ? "\r\n" : "\n");
  } while (!rt.eval.list_end);
  rt.loop.statement_handled = true;
}

void Input(Runtime& rt) {
  const int channel = ChannelForm(rt);
  if (channel < 0) return;
  if (!channel && RefusedWhilePrinting(rt, "INPUT")) return;
  ShortString name = Upper(rt.loop.arg_text);
  rt.loop.arg_text = std::string_view();
  auto& v = rt.vars;
  const char kind = name.empty() ? '\0' : name[name.size() - 1];
  bool exists = (kind == '$' && v.strings.Find(name)) || (kind == '%' && v.integers.Find(name)) ||
                (kind == '!' && v.floats.Find(name)) || (kind == '&' && v.longs.Find(name));
  if (!exists) {
    RuntimeError(rt, msg::kVariableNotDeclared, name);
    return;
  }
  std::string line;
  if (channel) {
    ShortString text;
    ChannelReadLine(rt, channel, text);
    line = text.str();
  } else {
    switch (rt.host.screen->ReadLine(line, kConsoleLineChars)) {
      case LineRead::kLine: break;
      case LineRead::kByKeys:
        line = ReadLineByKeys(rt, kConsoleLineChars);
        break;
      case LineRead::kNoConsole:
        NotImplemented(rt, "INPUT");
        return;
      case LineRead::kEndOfInput:
        // The input has ended: nobody can answer any more, as when the user
        // closes the window.
        throw ProgramExit{255};
    }
  }
  auto& c = rt.console;
  switch (kind) {
    case '$':
      c.input_text = ShortString(line);
      v.strings.Find(name)->value = c.input_text;
      break;
    case '%':
      TextToInt(line, c.input_int);
      v.integers.Find(name)->value = c.input_int;
      break;
    case '&':
      TextToInt(line, c.input_long);
      v.longs.Find(name)->value = c.input_long;
      break;
    case '!':
      TextToFloat(line, c.input_float);
      v.floats.Find(name)->value = c.input_float;
      break;
  }
}

void Locate(Runtime& rt) {
  EvalArg(rt, ',', kNumberDemand);
  int row = rt.eval.rr.i;
  EvalArg(rt, kRest, kNumberDemand);
  int column = rt.eval.rr.i;
  rt.loop.statement_handled = true;
  // The cursor lives in the console's grid, so LOCATE makes the window.
  if (!rt.host.screen->OpenConsole()) {
    NotImplemented(rt, "LOCATE");
    return;
  }
  const int x = std::clamp(column - 1, 0, kGridColumns - 1), y = std::clamp(row - 1, 0, kGridRows - 1);
  Model(rt).grid.Locate(y + 1, x + 1);
  rt.host.screen->MoveCursor(x, y);
}

int NumberArgument(Runtime& rt) {
  EvalArg(rt, kRest, kNumberDemand);
  rt.loop.statement_handled = true;
  return rt.eval.rr.i;
}

void Decimals(Runtime& rt) { rt.format.decimal_places = NumberArgument(rt); }
void StrWidth(Runtime& rt) { rt.format.string_width = NumberArgument(rt); }
void NumWidth(Runtime& rt) { rt.format.number_width = NumberArgument(rt); }

}  // namespace

void RegisterTextConsole(Runtime& rt) {
  rt.console.write = WriteConsoleText;
  auto& s = rt.statements;
  s[cmd::kPrint] = Print;
  s[cmd::kInput] = Input;
  s[cmd::kLocate] = Locate;
  s[cmd::kDecimals] = Decimals;
  s[cmd::kStrWidth] = StrWidth;
  s[cmd::kNumWidth] = NumWidth;
}

}  // namespace vestil
