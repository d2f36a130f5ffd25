// Fuzz target: the input is a program file. It is loaded and run with a
// statement budget by a host that answers every box with its first button,
// has no console input and starts no programs.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "host/host.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace {

class FuzzHost : public vestil::Host {
 public:
  explicit FuzzHost(std::string path) : args_{"fuzz", std::move(path)} {}
  const std::vector<std::string>& Arguments() override { return args_; }
  uint32_t AppendedProgramOffset() override { return 0; }
  bool ChooseProgramFile(std::string_view, std::string&) override { return false; }
  int MessageBox(std::string_view, std::string_view, unsigned style) override {
    // Alternate the answers of warning boxes so both paths are explored.
    return (style & 0x0f) && (++boxes_ % 2 == 0) ? vestil::box::kIdCancel : vestil::box::kIdOk;
  }
  bool HasConsole() const override { return true; }
  void WriteText(std::string_view) override {}
  bool ReadLine(std::string& line, size_t) override {
    if (lines_++ > 3) return false;
    line = "42";
    return true;
  }
  void Locate(int, int) override {}
  void Execute(std::string_view) override {}
  void Help(std::string_view, unsigned, std::string_view) override {}
  void DefaultBeep() override {}
  uint32_t MillisecondsSinceMidnightUtc() override { return 12345; }
  uint32_t TickCount() override { return 1000; }
  std::string CurrentDirectory() override { return "C:\\"; }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string SystemDirectory() override { return "C:\\WINDOWS\\SYSTEM32"; }
  uint32_t PlatformVersion() override { return 0; }
  uint32_t WindowsVersion() override { return 0; }
  int ScreenWidth() override { return 640; }
  int ScreenHeight() override { return 480; }
  int ColorBits() override { return 24; }
  // Scripts' file names stay inside the fuzzer's own folder.
  std::string MapPath(std::string_view name) override {
    if (name == args_[1]) return std::string(name);
    return "/dev/null/x";
  }

 private:
  std::vector<std::string> args_;
  int boxes_ = 0;
  int lines_ = 0;
};

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
  FuzzHost host(path);
  auto rt = std::make_unique<vestil::Runtime>(&host);
  rt->loop.statement_budget = 20000;
  vestil::RunProgram(*rt);
  return 0;
}
