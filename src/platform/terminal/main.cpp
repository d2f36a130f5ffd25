// vestrun: the console runner.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/version.h"
#include "platform/terminal/terminal_host.h"
#include "runtime/assemble.h"

namespace {

constexpr const char* kUsage =
    "usage: vestrun [PROGRAM [PARAMETERS...]]\n"
    "       vestrun --help | --version\n"
    "\n"
    "Runs the VESTIL program file PROGRAM (\".VSC\" is appended to a name without\n"
    "\".\"); the PARAMETERS belong to the program. A runner with a program bound to\n"
    "it (vestcomp bind) runs that program and passes every parameter to it.\n"
    "Console text goes to standard output, INPUT reads standard input, message\n"
    "boxes are written to standard error as \"caption | text\".\n"
    "\n"
    "Exit codes: 0 the program ended, 1 or 2 it could not be loaded, 2 a fatal\n"
    "error, 255 the input ended at INPUT or a wait (or Ctrl+C in a wait).\n"
    "\n"
    "Environment: VESTRUN_ANSWERS, VESTIL_DRIVE_X (a folder for drive X:),\n"
    "VESTIL_NUMBER_FORMAT, VESTIL_INTL_SDATE, VESTIL_INTL_SSHORTDATE, VESTIL_NOW;\n"
    "see vestrun(1).\n"
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
  vestil::TerminalHost terminal(std::vector<std::string>(argv, argv + argc));
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
  return vestil::RunProgram(*rt);
}
