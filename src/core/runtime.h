#pragma once
// The Runtime: all state of one run, made of one struct per subsystem and
// passed explicitly to every statement and function handler.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/shortstring.h"
#include "data/dbase.h"
#include "data/channels.h"
#include "data/dialog_list.h"
#include "values/system.h"
#include "values/value.h"
#include "values/variables.h"
#include "values/convert.h"

namespace vestil {

class Host;
struct Runtime;

using StatementHandler = void (*)(Runtime&);
// A function handler evaluates its own arguments and leaves its result in the
// ResultRegisters; the dispatcher normalises the views afterwards.
struct CallContext;
using FunctionHandler = void (*)(Runtime&, CallContext&);

constexpr int kMaxLines = 32767;
constexpr int kMaxWhileDepth = 10;
constexpr int kMaxCallDepth = 150;

struct ProgramState {
  std::vector<std::string> lines;  // lines[1..line_count]; lines[0] unused
  int line_count = 0;
  const std::string& Line(int n) const { return lines[n]; }
};

struct LoopState {
  int current_line = 0;
  bool statement_handled = false;
  bool stop_requested = false;
  uint8_t pump_counter = 0;
  uint8_t command_token = 0;
  std::string_view arg_text;  // the unconsumed argument text
  ShortString line_buffer;
  uint64_t statement_budget = 0;  // 0: unlimited (the fuzzer sets a budget)
  uint64_t statements_run = 0;
};

struct CallFrame {
  int line = 0;
  ScalarCounts counts;
};

struct FlowState {
  std::array<int, kMaxWhileDepth + 1> while_stack{};
  int while_depth = 0;
  std::array<CallFrame, kMaxCallDepth + 1> call_stack{};
  int call_depth = 0;
  // Remembered results of forward scans and label searches; the program
  // never changes, so a scan from a line always ends at the same line.
  std::vector<int> if_target, else_target, while_target, proc_target;
  std::unordered_map<std::string, int> label_target;
};

struct ErrorState {
  int error_mode = 1;
  int last_error_kind = 0;
  int last_error_number = 0;
  bool program_loaded = false;
};

struct EvalState {
  ResultRegisters rr;
  ShortString arg_token;  // the text of the element just taken off
  ShortString delimiter;
  uintptr_t stack_base = 0;  // the stack address where the run began
  bool list_end = false;
  std::array<FunctionHandler, 256> functions{};
};

struct NumberFormat {
  int decimal_places = 6;
  int number_width = 0;
  int string_width = 0;
};

struct EventState {
  int16_t command_code = 0;
};

struct ConsoleState {
  int32_t input_int = 0;
  int32_t input_long = 0;
  double input_float = 0.0;
  ShortString input_text;
  int text_font_index = 2;  // TextFontIndex: the stock font of the console cells
};

struct Runtime {
  Host* host = nullptr;
  ProgramState program;
  LoopState loop;
  FlowState flow;
  ErrorState errors;
  EvalState eval;
  NumberFormat format;
  VariableStore vars;
  EventState events;
  ConsoleState console;
  DbaseState dbase;
  ChannelState channels;
  DialogListState dialog_list;
  SystemState system;
  ConversionState conversion;
  uint32_t random_seed = 0;
  std::array<StatementHandler, 256> statements{};

  explicit Runtime(Host* h);
};

// Runs a whole program: chooses and loads the source, runs the statement loop
// and the orderly end. Returns the process exit code.
int RunProgram(Runtime& rt);

}  // namespace vestil
