// Calls into DLLs: LoadLibrary, GetProcAddress and the call itself. A 32-bit
// build calls with the standard convention (the callee removes its
// arguments, so the count must be the one the function takes); a 64-bit
// build has one convention, and an argument there is pointer-sized, so an
// area's address passes whole.
#include "platform/win32/win32_util.h"

#include <array>
#include <utility>

#include "platform/win32/win32_host.h"

// The standard convention on 32-bit Windows; 64-bit has only one.
#if defined(__i386__)
#define VESTIL_LIBRARY_CALL __stdcall
#else
#define VESTIL_LIBRARY_CALL
#endif
#include "host/library_call.h"

namespace vestil {

void* Win32Libraries::Load(std::string_view name) {
  std::string n(name);
  return LoadLibraryA(n.c_str());
}

void Win32Libraries::Free(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

void* Win32Libraries::Find(void* module, std::string_view function) {
  std::string f(function);
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), f.c_str()));
}

int32_t Win32Libraries::Call(void* function, std::span<const intptr_t> args) {
  return library_call::Call(function, args);
}

int32_t Win32Libraries::ModuleNumber(void* module) { return HandleNumber(module); }

std::string Win32Libraries::ShortPath(const std::string& path) {
  char full[MAX_PATH + 1] = {0};
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  char short_path[MAX_PATH + 1] = {0};
  n = GetShortPathNameA(full, short_path, sizeof short_path);
  if (n == 0 || n >= sizeof short_path) return full;
  return short_path;
}

// Sleeps until a message arrives or 10 ms have passed.
// The window's ways of ending a wait (closing it, Ctrl+Break) end the
// program from the message pump.
bool Win32Libraries::Nap() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  return true;
}

}  // namespace vestil
