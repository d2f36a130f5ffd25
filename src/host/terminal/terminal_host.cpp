// The console runner's host: its concerns gathered behind the host seam.
#include "host/terminal/terminal_host.h"

namespace vestil {

TerminalHost::TerminalHost(std::vector<std::string> args) : system_(std::move(args)) {
  host_.files = &files_;
  host_.system = &system_;
  host_.locale = &locale_;
  host_.screen = &screen_;
  host_.dialogs = &dialogs_;
  host_.profile = &profile_;
  host_.sound = &sound_;
  host_.ports = &ports_;
}

}  // namespace vestil
