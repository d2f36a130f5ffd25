// The entry of vestrun.exe, the GUI runner of the Windows build.
#include "platform/win32/win32_util.h"

#include <string>

#include "base/version.h"
#include "core/errors.h"
#include "gui/gui_state.h"
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
    "parameter to it.\r\n"
    "\r\n"
    "Exit codes: 0 the program ended, 1 or 2 it could not be loaded, 2 a fatal error, "
    "255 the window was closed or the program stopped with Ctrl+C.\r\n"
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
  // The window works on the gui model the Runtime holds.
  host.screen().Attach(rt->Family<vestil::GuiState>().model);
  try {
    return vestil::RunProgram(*rt);
  } catch (const vestil::ProgramExit& e) {
    // RunProgram ends every run itself; this only keeps an exit that escapes
    // it from becoming an abort.
    return e.code;
  }
}
