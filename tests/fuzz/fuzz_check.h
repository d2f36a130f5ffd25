#pragma once
// What every fuzz target shares: a finding aborts with its name.
#include <cstdio>
#include <cstdlib>

namespace vestil::fuzz {

[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "FINDING: %s\n", what);
  std::abort();
}

inline void Require(bool ok, const char* what) {
  if (!ok) Finding(what);
}

}  // namespace vestil::fuzz
