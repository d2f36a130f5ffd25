// The event record of the script window (see event_state.h).
#include "gui/event_state.h"

namespace vestil::gui {
namespace {

constexpr uint32_t kFirstKeyMessage = 0x100, kLastKeyMessage = 0x108;
constexpr uint32_t kFirstMouseMessage = 0x200, kLastMouseMessage = 0x209;
constexpr int kMouseCellWidth = 8, kMouseCellHeight = 13;

}  // namespace

void EventState::PutEventCode(uint8_t code) {
  if (key_count < kKeyBufferSize) {
    key_buffer[(key_head + key_count) % kKeyBufferSize] = code;
    ++key_count;
  }
  last_event_code = code ? code : 1;
  if (code == kEventF1) {
    if (in_event_wait) f1_pressed = true;
  } else {
    f1_pressed = false;
  }
}

void EventState::Pumped(uint32_t id) {
  if ((id >= kFirstKeyMessage && id <= kLastKeyMessage) || (id >= kFirstMouseMessage && id <= kLastMouseMessage))
    user_activity = true;
}

KeyResult EventState::KeyDown(uint32_t virtual_key) {
  if (virtual_key == kBreakCode && break_enabled) return KeyResult::kBreak;
  last_virtual_key = static_cast<uint8_t>(virtual_key);
  return KeyResult::kRecorded;
}

KeyResult EventState::Char(uint32_t character) {
  const uint8_t code = static_cast<uint8_t>(character);
  if (code == kBreakCode && break_enabled) return KeyResult::kBreak;
  PutEventCode(code);
  return KeyResult::kRecorded;
}

void EventState::MouseMove(uint16_t x, uint16_t y) {
  mouse_x = x;
  mouse_y = y;
}

void EventState::ButtonDown(MouseButton b, uint16_t x, uint16_t y, int32_t window) {
  focus_handle = window;
  MouseMove(x, y);
  left_button_down = b == MouseButton::kLeft;
  right_button_down = b == MouseButton::kRight;
}

void EventState::ButtonUp(MouseButton b, uint16_t x, uint16_t y, int32_t window) {
  focus_handle = window;
  MouseMove(x, y);
  (b == MouseButton::kLeft ? left_button_down : right_button_down) = false;
}

void EventState::ChildButtonA(MouseButton b, uint16_t x, uint16_t y, int32_t focus) {
  child_left_click = b == MouseButton::kLeft;
  child_right_click = b == MouseButton::kRight;
  focus_handle = focus;
  MouseMove(x, y);
}

void EventState::ChildButtonB(MouseButton b, uint16_t x, uint16_t y, bool focus_is_static) {
  if (b == MouseButton::kLeft) {
    if (focus_is_static) MouseMove(x, y);
    return;
  }
  child_right_click = true;
  child_left_click = false;
  MouseMove(x, y);
}

void EventState::Command(uint16_t id, int32_t control) {
  focus_handle = control;
  if (control) {
    command_code = static_cast<int16_t>(-static_cast<int32_t>(id));
    return;
  }
  mouse_x = mouse_y = 0;
  left_button_down = right_button_down = false;
  command_code = static_cast<int16_t>(id == kLeerMenuItem ? kEventControl : id);
}

DialogCommand EventState::RuleB(DialogProcedure proc, uint16_t id, uint16_t notification, int32_t control) {
  const bool main = proc == DialogProcedure::kDialogStyleMain;
  const uint8_t low = static_cast<uint8_t>(id);
  const bool key_command = control == 0 && (!main || notification == 0);
  if (key_command && low == 1) return {DialogFocus::kNextAfterCode, kEventEnter};
  if (key_command && low == 2) return {DialogFocus::kClearThenCode, kEventEscape};
  if (notification == 1) return {DialogFocus::kNone, kEventCommand};
  if (notification == 0 && (main ? control != 0 : id != 0)) return {DialogFocus::kControlThenCode, kEventControl};
  if (main && control == 0 && notification == 0) return {DialogFocus::kRuleA, 0};
  return {};
}

void EventState::ScrollMessage(int32_t focus) {
  focus_handle = focus;
  PutEventCode(kEventControl);
}

bool EventState::PaintMain(int paint_mode) {
  if (paint_mode > 0) return true;
  repaint_requested = true;
  return false;
}

bool EventState::TakeKey(uint8_t& code) {
  if (!key_count) return false;
  code = key_buffer[key_head];
  key_head = static_cast<uint16_t>((key_head + 1) % kKeyBufferSize);
  --key_count;
  return true;
}

uint8_t EventState::TakeInkey() {
  const uint8_t code = last_event_code;
  last_event_code = 0;
  return code;
}

int EventState::MouseButtons(bool clear) {
  const int v = left_button_down ? 1 : right_button_down ? 2 : 0;
  if (clear) left_button_down = right_button_down = false;
  return v;
}

bool EventState::MouseIn(int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
  return x1 <= mouse_x && mouse_x <= x2 && y1 <= mouse_y && mouse_y <= y2;
}

bool EventState::MouseCell(int32_t row1, int32_t col1, int32_t row2, int32_t col2) const {
  const int32_t row = mouse_y / kMouseCellHeight + 1;
  const int32_t col = mouse_x / kMouseCellWidth + 1;
  return row1 <= row && row <= row2 && col1 <= col && col <= col2;
}

}  // namespace vestil::gui
