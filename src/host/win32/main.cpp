// The entry of vestrun.exe, the GUI runner of the Windows build.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef MessageBox

#include "core/errors.h"
#include "core/runtime.h"
#include "host/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vestil::Win32Host host;
  vestil::Runtime rt(&host);
  try {
    return vestil::RunProgram(rt);
  } catch (const vestil::ProgramExit& e) {
    // RunProgram ends every run itself; this only keeps an exit that escapes
    // it from becoming an abort.
    return e.code;
  }
}
