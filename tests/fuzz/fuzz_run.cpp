// Fuzz target: the input is a program file. It is loaded and run with a
// statement budget by a host that answers every box with its first button,
// has no console input and starts no programs.
#include "fuzz_host.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = vestil_fuzz::WriteProgram("fuzz", data, size);
  vestil_fuzz::FuzzHost fuzz_host(path);
  auto rt = vestil::AssembleRuntime(fuzz_host.host);
  rt->loop.statement_budget = 20000;
  vestil::RunProgram(*rt);
  return 0;
}
