// vestrun: the console runner.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/version.h"
#include "core/loader.h"
#include "platform/source_run.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"

namespace {

constexpr const char* kUsage =
    "usage: vestrun [--trace | --trace=FILE] [PROGRAM [PARAMETERS...]]\n"
    "       vestrun --help | --version\n"
    "\n"
    "Runs the VESTIL program file PROGRAM (\".VSC\" is appended to a name without\n"
    "\".\"); the PARAMETERS belong to the program. A source file (a name ending in\n"
    "\".vsl\") is compiled in memory first; its compile errors end the run with\n"
    "exit code 2. A runner with a program bound to it (vestcomp bind) runs that\n"
    "program and passes every parameter to it.\n"
    "Console text goes to standard output, INPUT reads standard input, message\n"
    "boxes are written to standard error as \"caption | text\", followed by the\n"
    "line \"file:line: source text\" when the program has a line map (PROGRAM.VSM\n"
    "beside it, written by vestcomp, or the map of a source file run directly).\n"
    "--trace writes every executed line the same way (the program line number and\n"
    "its listing without a map) to standard error, --trace=FILE to FILE.\n"
    "\n"
    "Exit codes: 0 the program ended, 1 or 2 it could not be loaded, 2 a fatal\n"
    "error, 255 the input ended at INPUT or a wait (or Ctrl+C in a wait).\n"
    "\n"
    "Environment: VESTRUN_ANSWERS, VESTIL_DRIVE_X (a folder for drive X:),\n"
    "VESTIL_NUMBER_FORMAT, VESTIL_INTL_SDATE, VESTIL_INTL_SSHORTDATE, VESTIL_NOW,\n"
    "VESTRUN_TRACE (a file for the trace, as --trace=FILE), VESTIL_TEXT_PATH;\n"
    "see vestrun(1).\n"
    "\n"
    "The manual (guide and reference of the language):\n"
    "/usr/share/doc/vestil/html/index.html (HTML\\index.html in the Windows zip).\n"
    "\n"
    "--help and --version are options only when no file of that name (or that\n"
    "name with \".VSC\") exists; such a file runs as a program.\n";

bool NameExists(const std::string& path) {
  std::error_code ec;
  // Anything but "not found" (also a name that cannot be examined) counts, so
  // that the loader sees it as it always did.
  return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

// "--help" or "--version" as the only argument, in a runner without a bound
// program, and with no file that the loader would take for it.
bool IsOption(const vestil::Host& host, const char* option) {
  const auto& args = host.system->Arguments();
  if (args.size() != 2 || args[1] != option) return false;
  if (host.system->AppendedProgramOffset() != 0) return false;
  return !NameExists(host.files->MapPath(args[1])) && !NameExists(host.files->MapPath(args[1] + ".VSC"));
}

void WriteLine(std::string_view text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

// A runner started with standard input, output or error closed would hand
// their descriptors to the program's first files: console text would land in
// them and INPUT would read them. Such a descriptor is opened on /dev/null.
void OpenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int n = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (n >= 0 && n != fd) {
      dup2(n, fd);
      close(n);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  OpenStandardDescriptors();
  std::vector<std::string> args(argv, argv + argc);
  // "--trace" or "--trace=FILE" first, in a runner without a bound program and
  // with no file of that name: an option of the runner, not of the program.
  std::optional<std::string> trace;
  const bool bound = vestil::TerminalSystem(args).AppendedProgramOffset() != 0;
  if (!bound && args.size() > 1 && (args[1] == "--trace" || args[1].rfind("--trace=", 0) == 0) &&
      !NameExists(args[1])) {
    trace = args[1].size() > 8 ? args[1].substr(8) : std::string();
    args.erase(args.begin() + 1);
  }
  if (const char* env = std::getenv("VESTRUN_TRACE"); !trace && !bound && env && *env) trace = env;
  vestil::TerminalHost terminal(args);
  const vestil::Host& host = terminal.host();
  if (IsOption(host, "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (IsOption(host, "--version")) {
    std::printf("vestrun %s (VESTIL runtime %s)\n", vestil::kBuildVersion, vestil::kRuntimeVersion);
    return 0;
  }
  auto rt = vestil::AssembleRuntime(host);
  rt->source.notes = WriteLine;
  // VESTIL_TEXT_PATH=1 runs every line from its text each time, as a check of
  // the decoded lines.
  if (const char* env = std::getenv("VESTIL_TEXT_PATH"); env && *env && std::string_view(env) != "0")
    rt->eval.decode = false;
  if (!bound && args.size() > 1 && vestil::IsSourceFileName(args[1]) &&
      !vestil::IsProgramFile(*rt, host.system->Arguments()[1])) {
    vestil::SourceCompilation c = vestil::CompileIntoRuntime(args[1], *rt);
    for (const auto& m : c.messages) std::fprintf(stderr, "%s\n", m.c_str());
    if (!c.ok) return 2;
  }
  if (trace) {
    auto sink = trace->empty() ? std::function<void(std::string_view)>(WriteLine) : vestil::FileLineSink(*trace);
    if (!sink) {
      std::fprintf(stderr, "vestrun: cannot write the trace to %s\n", trace->c_str());
      return 2;
    }
    vestil::InstallTrace(*rt, std::move(sink));
  }
  return vestil::RunProgram(*rt);
}
