// The console runner's host: its concerns gathered behind the host seam.
#include "platform/terminal/terminal_host.h"

namespace vestil {

TerminalHost::TerminalHost(std::vector<std::string> args) : system_(std::move(args)) {
  // The runner itself and the program file named on its command line are
  // paths of this system, not of a drive.
  const auto& given = system_.Arguments();
  for (size_t i = 0; i < given.size() && i < 2; ++i) {
    files_.PassHostName(given[i]);
    if (i == 1) files_.PassHostName(given[i] + ".VSC");
  }
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
