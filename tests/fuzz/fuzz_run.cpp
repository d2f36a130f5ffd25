// Fuzz target: the input is a program file. It is loaded and run with a
// statement budget by a host that answers every box with its first button,
// has no console input and starts no programs.
#include "fuzz_host.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

std::string ProgramPath() {
  static std::string p = "/tmp/vestil-fuzz-" + std::to_string(getpid()) + ".VSC";
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = ProgramPath();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  vestil_fuzz::FuzzHost fuzz_host(path);
  auto rt = vestil::AssembleRuntime(fuzz_host.host);
  rt->loop.statement_budget = 20000;
  vestil::RunProgram(*rt);
  return 0;
}
