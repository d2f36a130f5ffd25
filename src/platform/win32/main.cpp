// The entry of vestrun.exe, the GUI runner of the Windows build.
#include "platform/win32/win32_util.h"

#include "core/errors.h"
#include "gui/gui_state.h"
#include "platform/win32/win32_host.h"
#include "runtime/assemble.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vestil::Win32Host host;
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
