#pragma once
// Libraries that scripts call into: loading a module, finding an exported
// function and calling it with up to 12 arguments, the short form of a path
// (for the bridge program's command line), and a pause while a wait polls.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vestil {

constexpr size_t kMaxLibraryArguments = 12;

class Libraries {
 public:
  virtual ~Libraries() = default;
  // LoadLibrary: the module, nullptr when it does not load.
  virtual void* Load(std::string_view name) = 0;
  virtual void Free(void* module) = 0;
  // GetProcAddress: nullptr when the module exports no such function.
  virtual void* Find(void* module, std::string_view function) = 0;
  // Calls function with exactly args.size() (at most 12) pointer-sized
  // arguments in the platform's calling convention for library functions
  // (stdcall on 32-bit Windows); the low 32 bits of the return value.
  virtual int32_t Call(void* function, std::span<const intptr_t> args) = 0;
  // A module as the 32-bit number scripts see (not 0 for a loaded module).
  virtual int32_t ModuleNumber(void* module) = 0;
  // The short (8.3) form of a file's full path; the path itself where the
  // platform has no short names.
  virtual std::string ShortPath(const std::string& path) = 0;
  // Lets a moment pass while a wait polls for a file; false when the user
  // has ended the wait (Ctrl+C on the console, caught from the first nap of
  // a wait until EndWait).
  virtual bool Nap() = 0;
  virtual void EndWait() = 0;
};

}  // namespace vestil
