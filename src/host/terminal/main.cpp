// vestrun: the console runner.
#include <memory>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "host/terminal/terminal_host.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  vestil::TerminalHost host(std::move(args));
  auto rt = std::make_unique<vestil::Runtime>(&host);
  return vestil::RunProgram(*rt);
}
