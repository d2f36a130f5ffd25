// The settings of the script window (see window_settings.h).
#include "gui/window_settings.h"

namespace vestil::gui {

WindowStyleOptions DecodeStyleOptions(int32_t options) {
  const uint32_t v = static_cast<uint32_t>(options);
  WindowStyleOptions o;
  o.style = (v & 15) << 16;
  if (v & 0x40) o.style |= kStylePopup;
  o.no_menu = v & 0x10;
  o.null_background = v & 0x20;
  o.sys_keys_command = v & 0x80;
  o.sys_command = v & 0x100;
  o.dialog_main = v & 0x200;
  return o;
}

bool PumpedAsCommand(const WindowStyleOptions& o, uint32_t message) {
  if (o.sys_keys_command && (message == kMessageSysKeyDown || message == kMessageSysCommand)) return true;
  return o.sys_command && message == kMessageSysCommand;
}

}  // namespace vestil::gui
