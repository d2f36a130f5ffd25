// Shared libraries of the console runner: dlopen, dlsym and calls in the C
// convention. Arguments travel as pointer-sized integers, so a function that
// takes an int sees the number and one that takes a pointer sees an area's
// address, on 32-bit and 64-bit systems alike.
#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <ctime>
#include <utility>

#include "host/terminal/terminal_host.h"

namespace vestil {
namespace {

// Every argument is pointer-sized.
template <size_t>
using Arg = intptr_t;

template <size_t... I>
intptr_t CallWith(void* function, const intptr_t* a, std::index_sequence<I...>) {
  using Fn = intptr_t (*)(Arg<I>...);
  (void)a;  // unused when the function takes no arguments
  return reinterpret_cast<Fn>(function)(a[I]...);
}

template <size_t N>
intptr_t CallN(void* function, const intptr_t* a) {
  return CallWith(function, a, std::make_index_sequence<N>{});
}

// One caller per argument count: the callee sees exactly the arguments the
// script passed.
template <size_t... N>
constexpr auto Callers(std::index_sequence<N...>) {
  return std::array<intptr_t (*)(void*, const intptr_t*), sizeof...(N)>{CallN<N>...};
}

}  // namespace

void* TerminalLibraries::Load(std::string_view name) {
  std::string n(name);
  if (n.find_first_of("/\\:") != std::string::npos) n = files_.MapPath(n);
  return dlopen(n.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void TerminalLibraries::Free(void* module) { dlclose(module); }

void* TerminalLibraries::Find(void* module, std::string_view function) {
  return dlsym(module, std::string(function).c_str());
}

int32_t TerminalLibraries::Call(void* function, std::span<const intptr_t> args) {
  static constexpr auto kCallers = Callers(std::make_index_sequence<kMaxLibraryArguments + 1>{});
  if (args.size() > kMaxLibraryArguments) return 0;
  return static_cast<int32_t>(kCallers[args.size()](function, args.data()));
}

int32_t TerminalLibraries::ModuleNumber(void* module) {
  const auto n = static_cast<int32_t>(reinterpret_cast<uintptr_t>(module));
  return n != 0 ? n : 1;
}

std::string TerminalLibraries::ShortPath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return path;
  std::string dir(buf);
  return dir + (dir.ends_with('/') ? "" : "/") + path;
}

void TerminalLibraries::Nap() {
  const timespec ms{0, 1000000};
  nanosleep(&ms, nullptr);
}

}  // namespace vestil
