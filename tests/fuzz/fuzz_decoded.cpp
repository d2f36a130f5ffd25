// Differential fuzz target: a program file run under a statement budget on
// decoded lines and on the text path; what it shows, its boxes, exit code, line,
// statements, variables and last value must agree (with replay_main.cpp: the corpora's checker).
#include <bit>

#include "fuzz_host.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

void Add(std::string& out, const char* label, int64_t v) { out += label + std::to_string(v) + '\n'; }

void AddFloat(std::string& out, const char* label, double v) { Add(out, label, std::bit_cast<int64_t>(v)); }

// Everything one run leaves that a program could show.
std::string Run(const std::string& path, bool decode) {
  vestil_fuzz::FuzzHost fuzz_host(path);
  std::string log;
  fuzz_host.screen.log = &log;
  fuzz_host.dialogs.log = &log;
  auto rt = vestil::AssembleRuntime(fuzz_host.host);
  rt->eval.decode = decode;
  rt->loop.statement_budget = 20000;
  int code = vestil::RunProgram(*rt);
  std::string out = "output:\n" + log + "\n";
  Add(out, "exit ", code);
  Add(out, "line ", rt->loop.current_line);
  Add(out, "statements ", static_cast<int64_t>(rt->loop.statements_run));
  Add(out, "error ", rt->errors.last_error_number);
  auto& v = rt->vars;
  for (int i = 0; i < v.integers.count(); ++i) Add(out, v.integers.at(i).name.str().c_str(), v.integers.at(i).value);
  for (int i = 0; i < v.longs.count(); ++i) Add(out, v.longs.at(i).name.str().c_str(), v.longs.at(i).value);
  for (int i = 0; i < v.floats.count(); ++i) AddFloat(out, v.floats.at(i).name.str().c_str(), v.floats.at(i).value);
  for (int i = 0; i < v.strings.count(); ++i) out += v.strings.at(i).name.str() + "=" + v.strings.at(i).value.str() + "\n";
  const auto& rr = rt->eval.rr;
  Add(out, "type ", rr.type);
  Add(out, "i ", rr.i);
  Add(out, "l ", rr.l);
  AddFloat(out, "f ", rr.f);
  out += "text " + rr.text().str() + "\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = vestil_fuzz::WriteProgram("decoded", data, size);
  const std::string decoded = Run(path, true);
  const std::string text = Run(path, false);
  if (decoded != text) {
    std::fprintf(stderr, "decoded lines and text path differ\n--- decoded\n%s\n--- text path\n%s\n", decoded.c_str(),
                 text.c_str());
    std::abort();
  }
  std::remove(path.c_str());
  return 0;
}
