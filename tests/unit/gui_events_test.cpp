// The event record of the window and the waits on it, driven by scripted
// message sequences.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gui/event_state.h"
#include "gui/waits.h"

namespace vestil::gui {
namespace {

using Step = std::function<void(EventState&)>;

// Each Pump delivers the next step of the script; a pump past the end
// reports the end of the program, so a wait that misses its event fails
// instead of hanging.
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
  // {wait, events that do not end it, the one that does}: it ends on the last
  // pump and sleeps only between tests while waiting.
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
