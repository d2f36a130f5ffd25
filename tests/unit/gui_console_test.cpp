// The window's character grid, line input and console; drawing statements on a recording canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/tokens.h"
#include "core/dialog_list.h"
#include "core/messages.h"
#include "gui/gui_state.h"
#include "gui/text_grid.h"
#include "gui/text_statements.h"
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
  std::ostringstream s;
  for (int y = 0; y < g.rows(); ++y) s << (y ? "|" : "") << Row(g, y);
  s << '@' << g.cursor_x() << ',' << g.cursor_y();
  return s.str();
}

// The operations: "S" a scroll, "B" a beep, "row,column:text" a run.
std::string Ops(const std::vector<GridOp>& ops) {
  std::ostringstream s;
  for (const auto& op : ops) {
    s << (s.tellp() > 0 ? " " : "");
    if (op.kind == GridOp::kDrawRun) s << op.row << ',' << op.column << ':' << op.text;
    else s << (op.kind == GridOp::kScroll ? "S" : "B");
  }
  return s.str();
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
  // A new line on the last row scrolls the ring, then draws the whole new last row.
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

// Backspace on nothing, control codes and the 127th character echo nothing; 255 is a character.
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

// A window's screen: it paints the operations it is handed and reads no lines itself.
class WindowScreen : public TerminalScreen {
 public:
  using TerminalScreen::TerminalScreen;
  void ReportTo(WindowEvents* e) override { events = e; }
  void ShowText(std::string_view, const std::vector<GridOp>& o) override { ops.insert(ops.end(), o.begin(), o.end()); }
  LineRead ReadLine(std::string&, size_t) override { return LineRead::kByKeys; }
  WindowEvents* events = nullptr;
  std::vector<GridOp> ops;
};

TEST(TextConsole, AWindowGetsTheGridsOperationsAndTypedKeysMakeTheLine) {
  TerminalHost terminal({"vestrun"});
  StandardInput input;
  WindowScreen screen{input};
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

class RecordingCanvas : public Canvas {
 public:
  bool HasTarget() override { return true; }
  bool EnsureWindow() override { return true; }
  void Draw(DrawTarget t, Figure f, const int32_t* p, uint32_t color) override {
    std::ostringstream s;
    s << Name(t) << " figure" << static_cast<int>(f);
    for (int i = 0; i < kMaxFigurePoints; ++i) s << ' ' << p[i];
    s << Hex(color);
    log.push_back(s.str());
  }
  void UseBrush(uint32_t style, uint32_t color, int32_t hatch) override {
    Log("brush ", style, Hex(color), ' ', hatch);
  }
  void UsePen(int32_t style, int32_t width, uint32_t color) override { Log("pen ", style, ' ', width, Hex(color)); }
  void Clear(std::optional<uint32_t> color) override { Log("clear", color ? Hex(*color) : " white"); }
  void Invalidate() override { Log("invalidate"); }
  uint32_t GetPixel(int32_t, int32_t) override { return pixel; }
  void DrawString(DrawTarget t, int32_t x, int32_t y, std::string_view text) override {
    Log(Name(t), " text ", x, ' ', y, ' ', text);
  }
  void DrawConsoleText(DrawTarget t, int32_t x, int32_t y, std::string_view text, int font, int32_t width,
                       uint32_t fg, uint32_t bg) override {
    Log(Name(t), " cell ", x, ' ', y, ' ', int{static_cast<uint8_t>(text[0])}, " font", font, " width", width,
        Hex(fg), Hex(bg));
  }
  void UseFont(const FontRequest& f) override {
    Log("font ", f.name, ' ', f.height, ' ', f.width, ' ', f.escapement, ' ', f.weight, ' ', f.italic, f.underline,
        ' ', int{f.charset});
  }
  void SetTextColors(uint32_t fg, uint32_t bg, bool transparent) override {
    Log("colors", Hex(fg), Hex(bg), transparent ? " transparent" : " opaque");
  }
  std::vector<std::string> FontFamilies() override { return families; }

  uint32_t pixel = 0xffffffff;
  std::vector<std::string> families;
  std::vector<std::string> log;

 private:
  static const char* Name(DrawTarget t) { return t == DrawTarget::kTarget ? "T" : "S"; }
  static std::string Hex(uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " #%06x", c);
    return buf;
  }
  template <typename... Parts>
  void Log(const Parts&... parts) {
    std::ostringstream s;
    (s << ... << parts);
    log.push_back(s.str());
  }
};

class DrawStatements : public ::testing::Test {
 protected:
  DrawStatements() : terminal_({"vestrun"}) {
    Host host = terminal_.host();
    host.canvas = &canvas_;
    rt_ = AssembleRuntime(host);
    rt_->errors.error_mode = -1;  // errors return, leaving their number
  }
  // Runs one statement; the number of the error it raised, else 0.
  int Run(uint8_t token, std::string_view args) {
    rt_->errors.last_error_number = 0;
    rt_->loop.arg_text = args;
    rt_->statements[token](*rt_);
    return rt_->errors.last_error_number;
  }
  // Runs statements in turn; what the canvas was asked to do.
  std::vector<std::string> RunAll(std::initializer_list<std::pair<uint8_t, std::string_view>> statements) {
    for (const auto& [token, args] : statements) Run(token, args);
    return Take();
  }
  std::vector<std::string> Take() { return std::exchange(canvas_.log, {}); }
  gui::WindowModel& model() { return rt_->Family<GuiState>().model; }
  // @GETPIXEL(1, 1) as the program file holds it.
  int32_t GetPixel() {
    const std::string call = std::string("@") + static_cast<char>(fn::kGetPixel) + "1,1)";
    Run(cmd::kEval, call);
    return rt_->eval.rr.l;
  }

  TerminalHost terminal_;
  RecordingCanvas canvas_;
  std::unique_ptr<Runtime> rt_;
};

using Log = std::vector<std::string>;

TEST_F(DrawStatements, TargetThenShadowAndTenthsWhilePrinting) {
  EXPECT_EQ(RunAll({{cmd::kSetPixel, "10,20,31"}, {cmd::kPie, "1,2-3,4;5,6;7,-8"}, {cmd::kRoundRect, "1,2-3,4;5,6"}}),
            (Log{"T figure0 10 20 0 0 0 0 0 0 #0000ff", "S figure0 10 20 0 0 0 0 0 0 #0000ff",
                 "T figure7 1 2 3 4 5 6 7 -8 #000000", "S figure7 1 2 3 4 5 6 7 -8 #000000",
                 "T figure6 1 2 3 4 5 6 0 0 #000000", "S figure6 1 2 3 4 5 6 0 0 #000000"}));
  // Printing: pixels and text once, figures twice (both targets are the printer), coordinates times 10.
  model().printing = true;
  EXPECT_EQ(RunAll({{cmd::kFill, "10,20,992"}, {cmd::kLine, "1,2-3,4"}, {cmd::kDrawText, "3,4,\"Hallo\""},
                    {cmd::kUsePen, "0,2,0"}, {cmd::kUsePen, "1,1,0"}, {cmd::kUseFont, "\"Arial\",12,5,1,0,1"}}),
            (Log{"T figure1 100 200 0 0 0 0 0 0 #00ff00", "T figure2 10 20 30 40 0 0 0 0 #000000",
                 "S figure2 10 20 30 40 0 0 0 0 #000000", "T text 30 40 Hallo", "pen 0 20 #000000",
                 "pen 1 1 #000000", "font Arial 120 50 0 700 01 0"}));
  // The console statements are refused while printing, each naming itself.
  for (uint8_t token : {cmd::kCls, cmd::kRepaint, cmd::kTBox, cmd::kFont, cmd::kPrint, cmd::kInput, cmd::kColor})
    EXPECT_EQ(Run(token, token == cmd::kTBox ? "1,1-2,2;0" : ""), msg::kForbiddenWhilePrinting) << int{token};
  EXPECT_EQ(Run(cmd::kPrint, "\"x\""), msg::kForbiddenWhilePrinting);
  EXPECT_TRUE(Take().empty());
}

TEST_F(DrawStatements, BrushPenFontAndClear) {
  // A diagonal cross hatch, kept by a negative style and an unknown hatch; hollow; CHARSET 7 ignored.
  EXPECT_EQ(RunAll({{cmd::kUseBrush, "7,31"}, {cmd::kUseBrush, "-1,992"}, {cmd::kUseBrush, "8,31744"},
                    {cmd::kUseBrush, "0,0"}, {cmd::kCharset, "1"}, {cmd::kCharset, "7"}, {cmd::kFontAngle, "900"},
                    {cmd::kUseFont, "\"Courier New\",-20,0,0,1,0"}}),
            (Log{"brush 2 #0000ff 5", "brush 2 #00ff00 5", "brush 2 #ff0000 5", "brush 1 #000000 5",
                 "font Courier New -20 0 900 400 10 255"}));
  // True colours; REPAINT only in paint mode 1.
  rt_->system.true_color_mode = true;
  model().paint_mode = 1;
  EXPECT_EQ(RunAll({{cmd::kTextColor, "255,65280"}, {cmd::kCls, "255"}, {cmd::kCls, ""}, {cmd::kRepaint, ""}}),
            (Log{"colors #0000ff #00ff00 opaque", "clear #0000ff", "clear white", "invalidate"}));
  model().paint_mode = 0;
  EXPECT_EQ(RunAll({{cmd::kRepaint, ""}}), Log{});
  canvas_.pixel = 0x0000ff;
  EXPECT_EQ(GetPixel(), 255);
  rt_->system.true_color_mode = false;
  EXPECT_EQ(GetPixel(), 31);
}

TEST_F(DrawStatements, TBoxDrawsEachCellTwiceAndEnumFontsFillsTheList) {
  model().cell = gui::CellMetrics{8, 12, 10};
  model().grid.attribute = 0x1f;  // white on dark blue
  EXPECT_EQ(Run(cmd::kTBox, "2,3-4,5;1"), 0);
  const Log log = Take();
  ASSERT_EQ(log.size(), 2u * 2u * 9u);  // 9 cells, on both targets, twice
  EXPECT_EQ(log[0], "T cell 16 12 201 font1 width8 #ffffff #880000");
  EXPECT_EQ(log[1], "S cell 16 12 201 font1 width8 #ffffff #880000");
  EXPECT_EQ(log[18], "T cell 16 13 201 font1 width8 #ffffff #880000");  // one pixel lower
  EXPECT_EQ(model().grid.cursor_x(), 3);
  EXPECT_EQ(model().grid.cursor_y(), 2);
  EXPECT_EQ(Run(cmd::kTBox, "1,1-33,80;0"), msg::kBoxOutsideWindow);

  canvas_.families = {"Arial", "Courier New"};
  EXPECT_EQ(Run(cmd::kEnumFonts, ""), 0);
  EXPECT_EQ(rt_->dialog_list.last, 1);
  while (rt_->dialog_list.last < kMaxDialogListItems - 2) ListAdd(*rt_, "x");
  EXPECT_EQ(Run(cmd::kEnumFonts, ""), msg::kTooManyItems);
  EXPECT_EQ(rt_->dialog_list.last, kMaxDialogListItems - 1);
  EXPECT_EQ(ListGet(*rt_, kMaxDialogListItems - 1).str(), "Arial");
}

}  // namespace
}  // namespace vestil::gui
