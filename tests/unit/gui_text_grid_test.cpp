// The character console of the window: ring of rows, wrap and scroll at the
// limits, line input, and the console one way to a window's screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/tokens.h"
#include "gui/gui_state.h"
#include "gui/text_grid.h"
#include "host/screen.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"
#include "values/variables.h"

namespace vestil::gui {
namespace {

std::string Row(const TextGrid& g, int y) {
  std::string s;
  for (int x = 0; x < g.columns(); ++x) s.push_back(static_cast<char>(g.At(x, y).ch));
  return s;
}

// Every row, joined by "|", then the cursor: "ab  |    @2,0".
std::string Show(const TextGrid& g) {
  std::string s;
  for (int y = 0; y < g.rows(); ++y) {
    s += y ? "|" : "";
    s += Row(g, y);
  }
  s += '@';
  s += std::to_string(g.cursor_x());
  s += ',';
  s += std::to_string(g.cursor_y());
  return s;
}

// The operations: "S" a scroll, "B" a beep, "row,column:text" a run.
std::string Ops(const std::vector<GridOp>& ops) {
  std::string s;
  for (const auto& op : ops) {
    s += s.empty() ? "" : " ";
    if (op.kind != GridOp::kDrawRun) {
      s += op.kind == GridOp::kScroll ? "S" : "B";
      continue;
    }
    s += std::to_string(op.row);
    s += ',';
    s += std::to_string(op.column);
    s += ':';
    s += op.text;
  }
  return s;
}

// A grid of 4 columns and 3 rows on a large screen.
TextGrid SmallGrid() {
  TextGrid g;
  g.Create(640, 480);
  g.SetWindowSize(4 * 8 + 7, 3 * 15 + 14);
  return g;
}

TEST(TextGrid, ScrollWrapAndControlCharacters) {
  TextGrid g = SmallGrid();
  EXPECT_EQ(Ops(g.Write("a\nb\nc")), "0,0:a 1,0:b 2,0:c");
  EXPECT_EQ(g.first_line(), 0);
  // A new line on the last row scrolls the ring; "c" is already drawn: the
  // scroll, then the whole new last row.
  EXPECT_EQ(Ops(g.Write("\nd")), "S 2,0:d   ");
  EXPECT_EQ(g.first_line(), 1);
  EXPECT_EQ(Show(g), "b   |c   |d   @1,2");
  for (int i = 0; i < 7; ++i) g.Write("\n");  // the ring turns all the way round and on
  EXPECT_EQ(g.first_line(), (1 + 7) % 3);
  EXPECT_EQ(Row(g, 2), "    ");
  // Wrap at the last column: each row's run on its own row. Filling the last
  // column of the last row scrolls at once; nothing lands outside the grid.
  g = SmallGrid();
  EXPECT_EQ(Ops(g.Write("abcdef")), "0,0:abcd 1,0:ef");
  g.Locate(3, 3);
  EXPECT_EQ(Ops(g.Write("XYZW")), "2,2:XY S 2,0:ZW  ");
  EXPECT_EQ(Show(g), "ef  |  XY|ZW  @2,2");
  const std::string long_write = Ops(g.Write(std::string(4 * 10, 'q')));  // scrolls on and on
  EXPECT_EQ(std::count(long_write.begin(), long_write.end(), 'S'), 10);
  EXPECT_EQ(Row(g, 2), "qq  ");
  // Backspace, carriage return and bell; the run has the palette colours of
  // 0x1f (white on dark blue); backspace at column 0 does nothing.
  g = SmallGrid();
  g.attribute = 0x1f;
  auto ops = g.Write("ab\b\bc\r\a");
  EXPECT_EQ(Ops(ops), "0,0:c  B");
  EXPECT_EQ(ops[0].foreground * 0x1000000ull + ops[0].background, 0xffffff880000ull);
  EXPECT_EQ(Show(g), "c   |    |    @1,0");
  g.Locate(1, 1);
  EXPECT_EQ(Ops(g.Write("\b\b")), "");
}

TEST(TextGrid, ClearAndCreateUseTheCurrentAttribute) {
  TextGrid g;
  EXPECT_TRUE(g.Write("x").empty());  // no window, no planes
  g.attribute = 0x1e;
  g.font_index = 1;
  g.Create(64, 45);
  EXPECT_EQ(g.At(7, 2).attribute, 0x1e);
  g.Write("hi");
  g.attribute = 0x4f;
  g.Clear();
  EXPECT_EQ(g.cursor_x(), 0);
  EXPECT_EQ(Row(g, 0), std::string(8, ' '));
  EXPECT_EQ(g.At(1, 0).attribute, 0x4f);
  EXPECT_EQ(g.At(1, 0).font, 1);
  g.Destroy();
  EXPECT_FALSE(g.exists());
}

// Backspace on nothing, control codes and the 127th character echo nothing;
// 255 is a character; Enter ends the line.
TEST(LineEditor, LimitsAndCodes) {
  LineEditor ed;
  std::string echo, echoes;
  std::vector<uint8_t> keys = {8, 1, 27, 255};
  keys.insert(keys.end(), 130, 'a');
  for (uint8_t c : keys) {
    EXPECT_FALSE(ed.Feed(c, echo));
    echoes += echo;
  }
  EXPECT_EQ(echoes, "\xff" + std::string(125, 'a'));
  EXPECT_TRUE(ed.Feed(13, echo));
  EXPECT_EQ(ed.line(), echoes);
}

// A window's screen: it paints the operations it is handed and reads no
// lines itself.
class WindowScreen : public Screen {
 public:
  bool OpenConsole() override { return true; }
  void PumpMessages() override {}
  void EndProgram() override {}
  int ScreenWidth() override { return 640; }
  int ScreenHeight() override { return 480; }
  int ColorBits() override { return 24; }
  int32_t DesktopHandle() override { return 0; }
  int32_t FocusHandle() override { return 0; }
  void ReportTo(WindowEvents* e) override { events = e; }
  void ShowText(std::string_view, const std::vector<GridOp>& o) override { ops.insert(ops.end(), o.begin(), o.end()); }
  LineRead ReadLine(std::string&, size_t) override { return LineRead::kByKeys; }
  WindowEvents* events = nullptr;
  std::vector<GridOp> ops;
};

TEST(TextConsole, AWindowGetsTheGridsOperationsAndTypedKeysMakeTheLine) {
  TerminalHost terminal({"vestrun"});
  WindowScreen screen;
  Host host = terminal.host();
  host.screen = &screen;
  auto rt = AssembleRuntime(host);
  ASSERT_NE(screen.events, nullptr);  // handed over at the assembly
  std::array<FontMetrics, 4> fonts{};
  fonts[1] = {8, 12, 0, 10};
  const ConsoleCells cells = screen.events->ConsoleCreated(640, 480, fonts);  // WM_CREATE
  EXPECT_EQ(cells.cell.height, 10);
  EXPECT_EQ(cells.metric_font, 1);
  EXPECT_EQ(screen.events->ConsoleGrid().columns, 80);
  auto run = [&](uint8_t token, std::string_view args) {
    rt->loop.arg_text = args;
    rt->statements[token](*rt);
  };
  run(cmd::kPrint, "\"ab\";");
  ASSERT_EQ(screen.ops.size(), 1u);
  EXPECT_EQ(screen.ops[0].text, "ab");
  // INPUT: the keys queued by the window, edited and echoed into the grid.
  DeclareVariable(*rt, ShortString("A$"));
  for (uint32_t key : {'x', '\b', '4', '2', '\r'}) screen.events->Char(key);
  screen.ops.clear();
  run(cmd::kInput, "A$");
  EXPECT_EQ(rt->vars.strings.Find("A$")->value.str(), "42");
  const TextGrid& grid = rt->Family<GuiState>().model.grid;
  EXPECT_EQ(grid.cursor_y(), 1);  // the new line after Enter
  EXPECT_EQ(grid.At(2, 0).ch, '4');
  EXPECT_EQ(screen.ops.size(), 4u);  // x, its erasure, 4, 2
  screen.events->ConsoleDestroyed();  // WM_DESTROY
  EXPECT_FALSE(grid.exists());
}

}  // namespace
}  // namespace vestil::gui
