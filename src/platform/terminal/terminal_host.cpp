// The console runner's host: its concerns gathered behind the host seam.
#include "platform/terminal/terminal_host.h"

namespace vestil {

TerminalHost::TerminalHost(std::vector<std::string> args) : system_(std::move(args)) {
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
