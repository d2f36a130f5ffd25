// The entry of vestrun.exe, the GUI runner of the Windows build.
#include "platform/win32/win32_util.h"

#include <string>

#include "base/cp1252.h"
#include "base/version.h"
#include "core/errors.h"
#include "core/loader.h"
#include "platform/source_run.h"
#include "platform/win32/win32_host.h"
#include "runtime/assemble.h"

namespace {

constexpr char kUsage[] =
    "usage: vestrun.exe [PROGRAM [PARAMETERS...]]\r\n"
    "       vestrun.exe --help | --version\r\n"
    "\r\n"
    "Runs the VESTIL program file PROGRAM (\".VSC\" is appended to a name without \".\"); "
    "the PARAMETERS belong to the program. Without PROGRAM an open dialog asks for one. "
    "A runner with a program bound to it (vestcomp bind) runs that program and passes every "
    "parameter to it. A PROGRAM whose name ends in \".vsl\" is source: it is compiled first "
    "(its errors show in a box, exit code 2).\r\n"
    "\r\n"
    "Exit codes: 0 the program ended, 1 or 2 it could not be loaded, 2 a fatal error, "
    "255 the window was closed or the program stopped with Ctrl+C.\r\n"
    "\r\n"
    "The manual (guide and reference of the language): HTML\\index.html in the folder of "
    "vestrun.exe.\r\n"
    "\r\n"
    "--help and --version are options only when no file of that name (or that name with "
    "\".VSC\") exists; such a file runs as a program.";

// Anything but "not found" counts, so that the loader sees such a name as it
// always did.
bool NameExists(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// "--help" or "--version" as the only argument, in a runner without a bound
// program, and with no file that the loader would take for it.
bool IsOption(const vestil::Host& host, const char* option) {
  const auto& args = host.system->Arguments();
  if (args.size() != 2 || args[1] != option) return false;
  if (host.system->AppendedProgramOffset() != 0) return false;
  return !NameExists(args[1]) && !NameExists(args[1] + ".VSC");
}

// A plain runner (no bound program) given a source file compiles it in memory.
// False when the compilation failed: its messages then show in one box and go
// to the log.
bool CompileSourceArgument(vestil::Runtime& rt, const std::function<void(std::string_view)>& log) {
  const auto& args = rt.host.system->Arguments();
  if (rt.host.system->AppendedProgramOffset() != 0 || args.size() < 2 || !vestil::IsSourceFileName(args[1]) ||
      vestil::IsProgramFile(rt, args[1]))
    return true;
  vestil::SourceCompilation c = vestil::CompileIntoRuntime(std::filesystem::path(args[1]), rt);
  std::string text;
  int shown = 0;
  for (const auto& m : c.messages) {
    if (log) log(m);
    if (++shown <= 20) text += (text.empty() ? "" : "\r\n") + vestil::Utf8ToCp1252(m);
  }
  if (!c.ok) rt.host.dialogs->MessageBox("V E S T I L \xb2", text, vestil::box::kIconError);
  return c.ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vestil::Win32Host host;
  if (IsOption(host.host(), "--help") || IsOption(host.host(), "--version")) {
    const std::string version =
        std::string("vestrun.exe ") + vestil::kBuildVersion + " (VESTIL runtime " + vestil::kRuntimeVersion + ")";
    const std::string text = IsOption(host.host(), "--help") ? version + "\r\n\r\n" + kUsage : version;
    MessageBoxA(nullptr, text.c_str(), "vestrun.exe", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  auto rt = vestil::AssembleRuntime(host.host());
  // VESTRUN_LOG names a file for the source lines of error and warning boxes
  // (and the messages of a source file's compilation); VESTRUN_TRACE a file
  // for the trace. A bound program has neither.
  auto& system = *host.host().system;
  // VESTIL_TEXT_PATH=1 runs every line from its text each time, as a check of
  // the decoded lines.
  if (const std::string text_path = system.EnvironmentValue("VESTIL_TEXT_PATH");
      !text_path.empty() && text_path != "0")
    rt->eval.decode = false;
  if (system.AppendedProgramOffset() == 0) {
    const std::string log = system.EnvironmentValue("VESTRUN_LOG");
    const std::string trace = system.EnvironmentValue("VESTRUN_TRACE");
    if (!log.empty()) rt->source.notes = vestil::FileLineSink(log);
    if (!trace.empty()) {
      auto sink = trace == log ? rt->source.notes : vestil::FileLineSink(trace);
      if (sink) vestil::InstallTrace(*rt, std::move(sink));
    }
  }
  if (!CompileSourceArgument(*rt, rt->source.notes)) return 2;
  try {
    return vestil::RunProgram(*rt);
  } catch (const vestil::ProgramExit& e) {
    // RunProgram ends every run itself; this only keeps an exit that escapes
    // it from becoming an abort.
    return e.code;
  }
}
