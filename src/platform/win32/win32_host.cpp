// The Windows build's host: one implementation of each interface of the seam,
// gathered in the Host the runtime is assembled with.
#include "platform/win32/win32_host.h"

namespace vestil {

Win32Host::Win32Host() {
  host_ = Host{&files_, &system_, &locale_, &screen_, &dialogs_, &profile_, &sound_, &ports_, &serial_,
               &libraries_, &events_, &odbc_};
  host_.canvas = &canvas_;
  host_.menus = &menus_;
  host_.windows = &windows_;
  host_.icons = &icons_;
  host_.controls = &controls_;
  host_.printer = &printer_;
  host_.bitmaps = &bitmaps_;
}

}  // namespace vestil
