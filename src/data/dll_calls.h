#pragma once
// Calls into libraries: the direct binding ("!library,function": the
// library's function called with the arguments' long values, an area by its
// address), @LOADLIB with its one resident library, and the bridge binding
// ("*library,function,types,resulttype": the arguments written to an
// exchange file that the bridge program VEST16 reads, answers and marks done).
//
// The pieces without the platform live here too: the arguments of a direct
// call, the exchange file's name and bytes, and what is read back from it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "values/value.h"

namespace vestil {

struct Runtime;
struct AreaBlock;
struct VariableStore;

namespace dll {

// The arguments of a direct call: the long value of each parameter slot
// 1..count, widened with its sign to the pointer size; a value that is the
// handle of one of the program's areas passes the area's address instead.
std::vector<intptr_t> DirectArguments(VariableStore& vars, int count);

// The number of the next exchange file: the tick count, made strictly
// greater than the previous number (so two calls in one millisecond differ).
uint32_t NextExchangeNumber(uint32_t ticks, uint32_t previous);
// "P" + the last seven digits of the number + ".$".
std::string ExchangeFileName(uint32_t number);

// The check of a bridge declaration's parameter types: 0 when fine, else
// the message number (245 the count differs, 246 a character is no type).
int CheckParameterTypes(std::string_view types, int count);

// The exchange file as written: per parameter by its type character "%" the
// low 16 bits of the integer value, "&" the long value, "#" the area's size
// (0 when the value is no area's handle) and its bytes; all little-endian.
struct ExchangeImage {
  struct Area {
    size_t position = 0;  // of the size field
    AreaBlock* block = nullptr;
  };
  std::string bytes;
  std::vector<Area> areas;
  size_t result_position = 0;  // where the bridge appends the 4-byte result
};
ExchangeImage BuildExchange(std::string_view types, std::span<const SlotValue> slots, VariableStore& vars);

// Reads the file back after the bridge: each area takes as many bytes as its
// size field gives (no more than the area holds and the file has); returns
// the 4-byte result, 0 when the file ends before it.
int32_t ReadBackExchange(const ExchangeImage& image, std::string_view file);

// The bridge program's command line.
std::string BridgeCommandLine(std::string_view library, std::string_view function, std::string_view types,
                              std::string_view result_type, std::string_view short_path);

}  // namespace dll

// @LOADLIB and the two bindings of user-declared functions.
void RegisterLibraryCalls(Runtime& rt);

}  // namespace vestil
