// The entry of vestrun.exe, the GUI runner of the Windows build.
#include "platform/win32/win32_util.h"

#include "base/cp1252.h"
#include "core/errors.h"
#include "core/loader.h"
#include "gui/window_statements.h"
#include "platform/source_run.h"
#include "platform/win32/win32_host.h"
#include "runtime/assemble.h"

namespace {

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
  auto rt = vestil::AssembleRuntime(host.host());
  // The window works on the gui model the Runtime holds.
  host.screen().Attach(rt->Family<vestil::GuiState>().model);
  // VESTRUN_LOG names a file for the source lines of error and warning boxes
  // (and the messages of a source file's compilation); VESTRUN_TRACE a file
  // for the trace. A bound program has neither.
  auto& system = *host.host().system;
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
