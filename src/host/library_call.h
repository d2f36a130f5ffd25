#pragma once
// The call of a library function with the script's arguments: one caller per
// argument count, so the callee receives exactly the arguments the script
// passed, each pointer-sized. The host that includes this names the calling
// convention first (VESTIL_LIBRARY_CALL, empty for the platform's default).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "host/libraries.h"

#ifndef VESTIL_LIBRARY_CALL
#define VESTIL_LIBRARY_CALL
#endif

namespace vestil::library_call {

template <size_t>
using Arg = intptr_t;

template <size_t... I>
intptr_t CallWith(void* function, const intptr_t* a, std::index_sequence<I...>) {
  using Fn = intptr_t(VESTIL_LIBRARY_CALL*)(Arg<I>...);
  (void)a;  // unused when the function takes no arguments
  return reinterpret_cast<Fn>(function)(a[I]...);
}

template <size_t N>
intptr_t CallN(void* function, const intptr_t* a) {
  return CallWith(function, a, std::make_index_sequence<N>{});
}

template <size_t... N>
constexpr auto Callers(std::index_sequence<N...>) {
  return std::array<intptr_t (*)(void*, const intptr_t*), sizeof...(N)>{CallN<N>...};
}

// The function's 32-bit result; 0 for more arguments than a call may take.
inline int32_t Call(void* function, std::span<const intptr_t> args) {
  static constexpr auto kCallers = Callers(std::make_index_sequence<kMaxLibraryArguments + 1>{});
  if (args.size() > kMaxLibraryArguments) return 0;
  return static_cast<int32_t>(kCallers[args.size()](function, args.data()));
}

}  // namespace vestil::library_call
