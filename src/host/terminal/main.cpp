// vestrun: the console runner.
#include <string>
#include <vector>

#include "host/terminal/terminal_host.h"
#include "runtime/assemble.h"

int main(int argc, char** argv) {
  vestil::TerminalHost host(std::vector<std::string>(argv, argv + argc));
  auto rt = vestil::AssembleRuntime(host.host());
  return vestil::RunProgram(*rt);
}
