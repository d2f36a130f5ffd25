// Shared libraries of the console runner: dlopen, dlsym and calls in the C
// convention. Arguments travel as pointer-sized integers, so a function that
// takes an int sees the number and one that takes a pointer sees an area's
// address, on 32-bit and 64-bit systems alike.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <ctime>
#include <utility>

#include "host/library_call.h"
#include "platform/terminal/terminal_host.h"

namespace vestil {

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
  return library_call::Call(function, args);
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

namespace {

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

}  // namespace

// Ctrl+C during a wait ends the wait, not the runner; after it, Ctrl+C has
// its usual meaning again.
bool TerminalLibraries::Nap() {
  if (!catching_) {
    struct sigaction catch_it {};
    catch_it.sa_handler = OnInterrupt;
    sigemptyset(&catch_it.sa_mask);
    interrupted = 0;
    catching_ = sigaction(SIGINT, &catch_it, &before_) == 0;
  }
  const timespec ms{0, 1000000};
  nanosleep(&ms, nullptr);
  return interrupted == 0;
}

void TerminalLibraries::EndWait() {
  if (catching_) sigaction(SIGINT, &before_, nullptr);
  catching_ = false;
  interrupted = 0;
}

}  // namespace vestil
