// The window rules that need no window; the event record and its waits on scripted messages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/dialog_functions.h"
#include "gui/draw_rules.h"
#include "gui/event_state.h"
#include "gui/print_statements.h"
#include "gui/waits.h"
#include "gui/window_functions.h"
#include "gui/window_settings.h"

namespace vestil::gui {
namespace {

TEST(GuiRules, ColorsAndScrolling) {
  // 15-bit colours widen k > 0 to 8k + 7; only the low 15 bits count; true colour is the value.
  const std::pair<int32_t, uint32_t> colors[] = {{0, 0}, {31, 0xff}, {992, 0xff00}, {31744, 0xff0000},
                                                 {32767, 0xffffff}, {1 + 32 * 2, 0x170f}, {32768, 0},
                                                 {32768 + 31, 0xff}, {-1, 0xffffff}, {INT32_MIN, 0}};
  for (auto& [in, want] : colors) EXPECT_EQ(ScriptColor(in, false), want) << in;
  EXPECT_EQ(ScriptColor(255, true), 0x0000ffu);
  EXPECT_EQ(ScriptColor(0x123456, true), 0x123456u);
  EXPECT_EQ(ColorFromPlatform(0xffffff, false), 32767);
  EXPECT_EQ(ColorFromPlatform(ScriptColor(992, false), false), 992);
  EXPECT_EQ(ColorFromPlatform(0x0000ff, true), 255);
  EXPECT_EQ(ColorFromPlatform(kInvalidColor, false), -1);
  // {min, max, position, request, thumb, result}: a page is a tenth, at least one step; 8 is SB_ENDSCROLL.
  const int32_t scrolls[][6] = {{0, 99, 0, kScrollLineUp, 0, 0}, {0, 99, 99, kScrollLineDown, 0, 99},
                                {0, 99, 5, kScrollPageUp, 0, 0}, {0, 99, 95, kScrollPageDown, 0, 99},
                                {0, 99, 50, kScrollPageDown, 0, 60}, {0, 99, 50, kScrollThumbTrack, 77, 77},
                                {0, 99, 50, kScrollTop, 0, 0}, {0, 99, 50, kScrollBottom, 0, 99},
                                {0, 99, 50, 8, 0, 50}, {3, 7, 7, kScrollPageUp, 0, 6},
                                {INT32_MIN, INT32_MAX, INT32_MIN, kScrollPageUp, 0, INT32_MIN},
                                {INT32_MIN, INT32_MAX, INT32_MAX, kScrollPageDown, 0, INT32_MAX},
                                {INT32_MIN, INT32_MAX, 0, kScrollPageDown, 0, 429496729}};
  for (auto& s : scrolls) EXPECT_EQ(ScrollPosition(s[0], s[1], s[2], s[3], s[4]), s[5]) << s[2] << " " << s[3];
}

TEST(GuiRules, BrushPenAndPrinting) {
  // {style, colour, then style and hatch}: negative keeps style and hatch, an unknown hatch is kept.
  BrushDescription b;
  const int32_t brushes[][4] = {{-1, 5, kBrushSolid, 0}, {0, 31, kBrushHollow, 0}, {7, 1, kBrushHatched, 5},
                                {-3, 992, kBrushHatched, 5}, {2, 0, kBrushHatched, 0}, {8, 0, kBrushHatched, 0},
                                {1, 0, kBrushSolid, 0}};
  for (auto& r : brushes) {
    UseBrush(b, r[0], r[1]);
    EXPECT_EQ(static_cast<int32_t>(b.style), r[2]) << r[0];
    EXPECT_TRUE(r[2] != kBrushHatched || b.hatch == r[3]) << r[0];
    EXPECT_TRUE(r[0] != -3 || b.color == 992u);
  }
  EXPECT_EQ(UsePen(0, 1, 0, true).width, 10);  // solid: scaled
  EXPECT_EQ(UsePen(2, 1, 0, true).width, 1);   // thin dotted: device width
  EXPECT_EQ(UsePen(2, 3, 0, true).width, 30);
  EXPECT_EQ(UsePen(0, 3, 0, false).width, 3);
  EXPECT_EQ(PrintScale(-7, true), -70);
  EXPECT_EQ(PrintScale(INT32_MAX, true), static_cast<int32_t>(0xfffffff6u));  // wraps
  EXPECT_EQ(PrintScale(20, false), 20);
  EXPECT_EQ(DrawPasses(DrawKind::kPixelOrText, true) * 10 + DrawPasses(DrawKind::kFigure, true), 12);
  EXPECT_EQ(DrawPasses(DrawKind::kPixelOrText, false), 2);
  // The printer's profile entry needs two commas; the port is the rest.
  const auto d = ParseDeviceEntry("PDF,wineps.drv,CUPS:PDF,x");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->name + "|" + d->driver + "|" + d->port, "PDF|wineps.drv|CUPS:PDF,x");
  EXPECT_TRUE(ParseDeviceEntry(",,"));
  EXPECT_FALSE(ParseDeviceEntry("PDF") || ParseDeviceEntry("PDF,wineps.drv"));
  // Pages map half to even: 22/3 in by 11 in at 300 dpi; 1466.67 up, 733.33 down, 16.5 to 16.
  EXPECT_EQ(RoundHalfEven(0.5) + RoundHalfEven(1.5) * 10 + RoundHalfEven(-2.5) * 100, -180);
  EXPECT_EQ(RoundHalfEven(1e12), INT32_MAX);
  const PageSetup p = MapPage(6400, 9600, 100.0, 100.0);
  EXPECT_EQ(p.viewport_width * 10000 + p.viewport_height, 22003300);
  EXPECT_EQ(MapPage(1, 1, 200 / 3.0, 0).viewport_width, 1467);
  EXPECT_EQ(MapPage(1, 1, 100 / 3.0, 0).viewport_width, 733);
  EXPECT_EQ(MapPage(1, 1, 0.75, 0).viewport_width, 16);
  // Screen copies are cut to the page (a tall one to 1.5 x the width); window copies keep 2:3.
  ScreenCopyArea a = ClampScreenCopy(5, 5, 2000, 2000, 640, 480);
  EXPECT_EQ(std::vector<int>({a.width, a.height, a.page_height}), std::vector<int>({639, 479, 960}));
  a = ClampScreenCopy(0, 0, 100, 650, 201, 700);
  EXPECT_EQ(std::vector<int>({a.height, a.page_height}), std::vector<int>({300, 301}));
  EXPECT_EQ(ClampScreenCopy(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 640, 480).width, 639);
  const int32_t fits[][4] = {{200, 300, 200, 300}, {101, 10, 101, 151}, {200, 301, 200, 301}};
  for (auto& f : fits) {
    const Extent e = FitWindowCopy(f[0], f[1]);
    EXPECT_EQ(e.width * 10000 + e.height, f[2] * 10000 + f[3]) << f[0] << "x" << f[1];
  }
}

TEST(GuiRules, WindowStylesAndPaintChecks) {
  WindowSettings s;
  // The pump turns system keys and commands into commands only when asked for (WM_KEYDOWN never).
  for (int32_t o : {15, 0x80, 0x100}) {
    const WindowStyleOptions w = DecodeStyleOptions(o);
    EXPECT_EQ(PumpedAsCommand(w, kMessageSysKeyDown), o == 0x80) << o;
    EXPECT_EQ(PumpedAsCommand(w, kMessageSysCommand), o != 15) << o;
    EXPECT_FALSE(PumpedAsCommand(w, 0x100));
  }
  EXPECT_TRUE(ValidWindowRect({10, 10, 0, 0}));
  EXPECT_FALSE(ValidWindowRect({-1, 0, 10, 10}) || ValidWindowRect({0, 0, 10, -1}));
  EXPECT_EQ(s.CheckEndPaint(), PaintRefusal::kNotPainting);
  EXPECT_EQ(s.CheckStartPaint(true), PaintRefusal::kPrinting);
  EXPECT_EQ(s.CheckStartPaint(false), PaintRefusal::kNone);
  s.in_paint = true;
  EXPECT_EQ(s.CheckStartPaint(true), PaintRefusal::kPrinting);  // printing is tested first
  EXPECT_EQ(s.CheckStartPaint(false), PaintRefusal::kAlreadyPainting);
  EXPECT_EQ(s.CheckEndPaint(), PaintRefusal::kNone);
}

TEST(GuiRules, SendKeysOnTheGermanLayout) {
  auto keys = [](std::string_view text) {
    std::string out;
    for (char c : text)
      if (const auto k = KeyForCharacter(static_cast<uint8_t>(c))) {
        out.append(out.empty() ? "" : " ").append(k->shifted ? "^" : "");
        out += std::to_string(k->virtual_key);
      }
    return out;
  };
  EXPECT_EQ(keys("Ab1!az AZ 09"), "^65 66 49 ^49 65 90 32 ^65 ^90 32 48 57");
  EXPECT_EQ(keys("#+,-.<'*:;_>?=$%&/()"),
            "191 187 188 189 190 226 ^191 ^187 ^190 ^188 ^189 ^226 ^219 ^48 ^52 ^53 ^54 ^55 ^56 ^57");
  // Control codes; sharp s, umlauts, their capitals and the section sign; characters without a key are skipped.
  EXPECT_EQ(keys("\x08\x09\x0d\x12\xdf\xe4\xf6\xfc\xc4\xd6\xdc\xa7"), "8 9 13 18 219 222 192 186 ^222 ^192 ^186 ^51");
  EXPECT_EQ(keys("x\"@[]{}\\~\x0a\x01\xe9y"), "88 89");
}

TEST(GuiRules, StandardDialogs) {
  // The edit text stops at the first item that reaches 64000 characters (items of 255 and CR LF).
  std::vector<ShortString> items(250, ShortString(std::string(255, 'x')));
  items.push_back("kurz");
  EXPECT_EQ(EditText(items).size(), 249u * 257u);
  std::vector<ShortString> edge(249, ShortString(std::string(255, 'x')));
  edge.push_back(ShortString("x"));  // 63993 + 3 = 63996; "a" would make 63999
  edge.push_back(ShortString("a"));
  EXPECT_EQ(EditText(edge).size(), 63996u);
  edge[249] = ShortString("");  // 63995 + "a" = 63998 stays
  EXPECT_EQ(EditText(edge).size(), 63998u);
  std::string filter, name = "alt";
  OpenDialogFilter("Texte|*.TXT|Alle|*.*", filter, name);
  EXPECT_EQ(filter + name, std::string("Texte\0*.TXT\0Alle\0*.*", 20));
  OpenDialogFilter("C:\\DATEN\\A.TXT", filter, name);
  EXPECT_EQ(filter + "|" + name, "C:\\DATEN\\A.TXT|C:\\DATEN\\A.TXT");
  const std::pair<std::string, std::string> patterns[] = {
      {"BRIEF.TXT", "*.TXT"}, {"a.b.dbf", "*.dbf"}, {"OHNE", "*"}, {"C:\\X.D\\NAME", "*.D\\NAME"}};
  for (auto& [in, want] : patterns) EXPECT_EQ(SaveDialogPattern(in), want);
  EXPECT_EQ(SaveDialogPattern("." + std::string(300, 'e')).size(), 255u);
  EXPECT_EQ(ListTemplate(0) * 100 + ListTemplate(9) * 10 + ListTemplate(8), 778);
  const std::vector<std::string> fruit = {"Kirsche", "apfel", "Birne", "APFEL", "Apfelmus"};
  EXPECT_EQ(ListBoxOrder(fruit, false), (std::vector<size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(ListBoxOrder(fruit, true), (std::vector<size_t>{1, 3, 4, 2, 0}));
  EXPECT_TRUE(TitleHasPrefix("Editor - \xc4nderung", "") && TitleHasPrefix("Editor - \xc4nderung", "eDITOR"));
  EXPECT_TRUE(TitleHasPrefix("\xc4nderung", "\xe4n"));
  EXPECT_FALSE(TitleHasPrefix("Edit", "Editor"));
}

using Step = std::function<void(EventState&)>;

// Each Pump delivers the next step; past the end it reports the program's end (a missed event fails).
class ScriptedPump : public EventPump {
 public:
  ScriptedPump(EventState& ev, std::vector<Step> steps) : ev_(ev), steps_(std::move(steps)) {}
  bool Pump() override { return next_ < steps_.size() && (steps_[next_++](ev_), true); }
  void Sleep() override { ++sleeps; }
  size_t pumped() const { return next_; }
  int sleeps = 0;

 private:
  EventState& ev_;
  std::vector<Step> steps_;
  size_t next_ = 0;
};

const Step kKey = [](EventState& ev) { ev.KeyDown(0x41); };
const Step kChar = [](EventState& ev) { ev.Char('a'); };
const Step kLeft = [](EventState& ev) { ev.ButtonDown(MouseButton::kLeft, 10, 20, 7); };
const Step kRight = [](EventState& ev) { ev.ButtonDown(MouseButton::kRight, 10, 20, 7); };
const Step kMove = [](EventState& ev) { ev.MouseMove(3, 4); };
const Step kMenu = [](EventState& ev) { ev.Command(100, 0); };
const Step kTimer = [](EventState& ev) { ev.Timer(1); };
const Step kOtherTimer = [](EventState& ev) { ev.Timer(2); };
const Step kPaint = [](EventState& ev) { ev.PaintMain(0); };
const Step kSize = [](EventState& ev) { ev.PutEventCode(kEventSize); };
const Step kChildRight = [](EventState& ev) { ev.ChildButtonA(MouseButton::kRight, 1, 2, 9); };

TEST(Events, KeyBufferBreakKeysAndVariables) {
  EventState ev;
  for (int i = 0; i < 65; ++i) ev.PutEventCode(static_cast<uint8_t>(i < 64 ? 'A' + i % 26 : 'z'));
  EXPECT_EQ(ev.key_count, 64);  // the 65th code is dropped, but recorded as the last event
  EXPECT_EQ(ev.last_event_code, 'z');
  uint8_t c = 0;
  ASSERT_TRUE(ev.TakeKey(c));
  EXPECT_EQ(c, 'A');
  ev.PutEventCode('y');  // room again: queued behind the 63 left, in the ring
  for (int i = 1; i < 64; ++i) ASSERT_TRUE(ev.TakeKey(c));
  EXPECT_EQ(c, 'A' + 63 % 26);
  ASSERT_TRUE(ev.TakeKey(c));
  EXPECT_EQ(c, 'y');
  EXPECT_FALSE(ev.TakeKey(c));
  ev.PutEventCode(0);  // queued as it is, recorded as 1
  EXPECT_EQ(ev.last_event_code, 1);
  ASSERT_TRUE(ev.TakeKey(c));
  EXPECT_EQ(c, 0);

  EXPECT_EQ(ev.Char(3), KeyResult::kBreak);
  EXPECT_FALSE(ev.HasKey());  // Ctrl+C is not queued
  EXPECT_EQ(ev.KeyDown(3), KeyResult::kBreak);
  EXPECT_EQ(ev.last_virtual_key, 0);
  ev.break_enabled = false;  // after the stop they are ordinary keys
  EXPECT_EQ(ev.Char(3), KeyResult::kRecorded);
  EXPECT_EQ(ev.KeyDown(0x1203), KeyResult::kRecorded);
  EXPECT_EQ(ev.last_virtual_key, 3);
  EXPECT_EQ(ev.TakeInkey(), 3);
  EXPECT_EQ(ev.TakeInkey(), 0);  // the second @INKEY$ is empty
  // Both buttons: left wins; %MOUSEBUTTONS keeps them, %MOUSEKEY clears them; right clears left.
  ev.left_button_down = ev.right_button_down = true;
  EXPECT_EQ(ev.MouseButtons(false), 1);
  EXPECT_EQ(ev.MouseButtons(true), 1);
  EXPECT_EQ(ev.MouseButtons(false), 0);
  ev.ButtonDown(MouseButton::kLeft, 5, 6, 42);
  ev.ButtonDown(MouseButton::kRight, 5, 6, 42);
  EXPECT_EQ(ev.MouseButtons(false), 2);
  ev.ButtonUp(MouseButton::kRight, 5, 6, 42);
  EXPECT_EQ(ev.MouseButtons(false), 0);
  EXPECT_EQ(ev.focus_handle, 42);
  ev.Timer(1);
  ev.PaintMain(0);
  ev.Pumped(0x209);
  EXPECT_TRUE(ev.TakeTimer() && !ev.TakeTimer() && ev.TakeRepaint() && !ev.TakeRepaint() && ev.TakeActivity());
  ev.Pumped(0x20a);
  ev.Pumped(0xff);
  EXPECT_FALSE(ev.TakeActivity());
  EXPECT_TRUE(ev.PaintMain(1));  // restored from the shadow, no request
  EXPECT_FALSE(ev.repaint_requested);
  ev.PaintDialog(1);
  EXPECT_TRUE(ev.TakeRepaint());
  ev.PaintDialog(2);
  EXPECT_FALSE(ev.repaint_requested);
}

TEST(Events, CommandRulesAndMouseTests) {
  EventState ev;
  ev.ButtonDown(MouseButton::kLeft, 100, 50, 1);
  ev.Command(kLeerMenuItem, 0);  // the menu "LEER": 255, mouse zeroed, buttons cleared
  EXPECT_EQ(ev.command_code, 255);
  EXPECT_EQ(ev.mouse_x, 0);
  EXPECT_FALSE(ev.left_button_down);
  ev.Command(40000, 77);  // a control: the negated identifier, 16-bit
  EXPECT_EQ(ev.command_code, static_cast<int16_t>(-40000));
  EXPECT_TRUE(ev.IsCommand(static_cast<int16_t>(-40000)));
  EXPECT_EQ(ev.focus_handle, 77);
  using P = DialogProcedure;
  EXPECT_EQ(EventState::RuleB(P::kDialogClass, 0x101, 5, 0).focus, DialogFocus::kNextAfterCode);
  EXPECT_EQ(EventState::RuleB(P::kDialogStyleMain, 0x101, 5, 0).focus, DialogFocus::kNone);
  EXPECT_EQ(EventState::RuleB(P::kDialogStyleMain, 2, 0, 0).code, kEventEscape);
  EXPECT_EQ(EventState::RuleB(P::kDialogClass, 9, 1, 33).code, kEventCommand);
  EXPECT_EQ(EventState::RuleB(P::kDialogStyleMain, 9, 0, 33).focus, DialogFocus::kControlThenCode);
  EXPECT_EQ(EventState::RuleB(P::kDialogStyleMain, 9, 0, 0).focus, DialogFocus::kRuleA);
  EXPECT_EQ(EventState::RuleB(P::kDialogClass, 0, 0, 33).focus, DialogFocus::kNone);
  ev.MouseMove(16, 26);  // cell row 3, column 3
  EXPECT_TRUE(ev.MouseIn(16, 26, 16, 26) && ev.MouseCell(3, 3, 3, 3));
  EXPECT_FALSE(ev.MouseIn(17, 0, 10, 100) || ev.MouseCell(1, 1, 2, 9));
  // F1 sets F1Pressed only inside WAITINPUT; the next code clears it.
  ev.PutEventCode(kEventF1);
  EXPECT_FALSE(ev.f1_pressed);
  ev.in_event_wait = true;
  ev.PutEventCode(kEventF1);
  EXPECT_EQ(ev.FocusValue(12), -12);
  ev.PutEventCode('x');
  EXPECT_EQ(ev.FocusValue(12), 12);
}

TEST(Events, EachWaitEndedByTheRightEventOnly) {
  // {wait, events that do not end it, the one that does}: it sleeps only between tests.
  const struct { Wait w; std::vector<Step> before; Step end; } rows[] = {
      {Wait::kWaitKey, {kChar, kLeft, kMenu, kTimer, kPaint}, kKey},
      {Wait::kWaitChar, {kLeft, kMove, kMenu, kTimer, kPaint}, kChar}, {Wait::kWaitChar, {kMove}, kKey},
      {Wait::kWaitChar, {}, kSize}, {Wait::kWaitMouse, {kKey, kChar, kMove, kTimer, kPaint}, kLeft},
      {Wait::kWaitMouse, {}, kRight}, {Wait::kWaitMouse, {kKey}, kMenu},
      {Wait::kWaitInput, {kMove, kOtherTimer}, kTimer}, {Wait::kWaitInput, {kMove}, kPaint},
      {Wait::kWaitInput, {kMove}, kChildRight}, {Wait::kWaitInput, {kMove}, kChar},
      {Wait::kWaitKeyText, {kLeft, kMove, kMenu}, kChar}, {Wait::kReadKey, {kKey, kLeft}, kChar}};
  for (const auto& r : rows) {
    EventState ev;
    std::vector<Step> steps = r.before;
    steps.push_back(r.end);
    ScriptedPump pump(ev, steps);
    EXPECT_TRUE(RunWait(ev, r.w, pump)) << static_cast<int>(r.w);
    EXPECT_EQ(pump.pumped(), steps.size()) << static_cast<int>(r.w);
    EXPECT_EQ(pump.sleeps, SleepsBetweenTests(r.w) ? static_cast<int>(r.before.size()) : 0);
  }
  // The end of the program inside a wait ends it too.
  EventState ev;
  ScriptedPump pump(ev, {kMove});
  EXPECT_FALSE(RunWait(ev, Wait::kWaitInput, pump));
  EXPECT_FALSE(ev.in_event_wait);
}

}  // namespace
}  // namespace vestil::gui
