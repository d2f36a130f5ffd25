#pragma once
// The Runtime: all state of one run, made of one struct per subsystem and
// passed explicitly to every statement and function handler.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/line_map.h"
#include "core/dialog_list.h"
#include "core/shortstring.h"
#include "host/host.h"
#include "values/convert.h"
#include "values/decoded.h"
#include "values/system_functions.h"
#include "values/value.h"
#include "values/variables.h"

namespace vestil {

struct Runtime;

using StatementHandler = void (*)(Runtime&);
// A function handler evaluates its own arguments and leaves its result in the
// ResultRegisters; the dispatcher normalises the views afterwards.
struct CallContext;
using FunctionHandler = void (*)(Runtime&, CallContext&);
// A system variable's handler fills the views of the ResultRegisters; it
// receives its own SysVarToken.
using SystemVariableHandler = void (*)(Runtime&, uint8_t token);

constexpr int kMaxLines = 32767;
constexpr int kMaxWhileDepth = 10;
constexpr int kMaxCallDepth = 150;

struct ProgramState {
  std::vector<std::string> lines;  // lines[1..line_count]; lines[0] unused
  int line_count = 0;
  const std::string& Line(int n) const { return lines[n]; }
};

// Where the program came from, for the notes that name source lines.
struct SourceState {
  // A program compiled in memory (vestrun prog.vsl): the loader takes these
  // bytes instead of reading a program file.
  std::string compiled;
  // Program line -> source file and line: read from beside the program file,
  // or made by the compilation in memory. Empty when there is none (a bound
  // program never has one).
  LineMap map;
  // Receives "file:line: text" after every error or warning box, when a map
  // knows the line; empty: the notes go nowhere.
  std::function<void(std::string_view)> notes;
  // Called before every executed line when a trace is on.
  std::function<void(Runtime&)> trace;
};

struct LoopState {
  int current_line = 0;
  bool statement_handled = false;
  bool stop_requested = false;
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
  // Fatal errors reported so far; under ERRORMODE -1 the statement goes on
  // and a call may need to know that it stopped short.
  uint32_t fatal_count = 0;
  bool program_loaded = false;
};

struct EvalState {
  ResultRegisters rr;
  ShortString arg_token;  // the text of the element just taken off
  std::string_view token;  // the same, in arg_token or a decoded line
  ShortString delimiter;
  uintptr_t stack_base = 0;  // the stack address where the run began
  bool list_end = false;
  std::array<FunctionHandler, 256> functions{};
  std::array<SystemVariableHandler, 256> system_variables{};
  // Functions of whole numbers that a decoded line may compute without
  // running their handler (a FusedKind; the families mark them).
  std::array<uint8_t, 256> fused{};
  // The body of a user-declared function that begins with "!" or "*" (a
  // library call); it runs with ArgText at that character and the arguments
  // in the parameter slots 1..count, and leaves the result in rr.
  void (*library_binding)(Runtime&, int count) = nullptr;
  // The decoded lines (see values/decoded.h); the hosts turn them off for
  // VESTIL_TEXT_PATH=1, when every line's text is read again each time it runs.
  bool decode = true;
  std::vector<DecodedLine> decoded;  // [1..line_count], made on first use
  DecodedLine* line = nullptr;       // the line whose text ArgText is in
  const char* line_begin = nullptr;
  const char* line_end = nullptr;
};

struct NumberFormat {
  int decimal_places = 6;
  int number_width = 0;
  int string_width = 0;
};

struct EventState {
  // CommandCode lives in the window's event record; the gui family points
  // this at it, and the loop shows a 255 left from an event as 254.
  int16_t* command_code = nullptr;
};

constexpr int kInitialTextFontIndex = 2;
// Font index 1 is the OEM fixed font: texts of the dBase engine then cross
// the OEM code page.
constexpr int kOemFontIndex = 1;

struct ConsoleState {
  int32_t input_int = 0;
  int32_t input_long = 0;
  double input_float = 0.0;
  ShortString input_text;
  int text_font_index = kInitialTextFontIndex;  // TextFontIndex: the stock font of the console cells
  // Console text from a family below the console's (ODBC's listings): the
  // text console installs the writer; without it the text goes nowhere.
  void (*write)(Runtime& rt, std::string_view bytes) = nullptr;
};

// The state of a statement family above the interpreter, which the Runtime
// holds without knowing its type. Each family's state names its slot.
struct FamilyState {
  virtual ~FamilyState() = default;
};
enum class FamilySlot : uint8_t { kChannels, kDbase, kGui, kSerial, kLibraries, kSound, kOdbc, kMenus, kControls, kCount };

struct Runtime {
  Host host;
  ProgramState program;
  SourceState source;
  LoopState loop;
  FlowState flow;
  ErrorState errors;
  EvalState eval;
  NumberFormat format;
  VariableStore vars;
  EventState events;
  ConsoleState console;
  DialogListState dialog_list;
  SystemState system;
  ConversionState conversion;
  uint32_t random_seed = 0;
  std::array<StatementHandler, 256> statements{};
  std::array<std::unique_ptr<FamilyState>, static_cast<size_t>(FamilySlot::kCount)> families;

  // Every statement, function and system variable starts out as not yet
  // implemented; the assembly registers the families over them.
  explicit Runtime(const Host& h);

  template <class State>
  State& Family() {
    return static_cast<State&>(*families[static_cast<size_t>(State::kSlot)]);
  }
  template <class State>
  const State& Family() const {
    return static_cast<const State&>(*families[static_cast<size_t>(State::kSlot)]);
  }
  template <class State>
  void InstallFamily() {
    families[static_cast<size_t>(State::kSlot)] = std::make_unique<State>();
  }
};

// Runs a whole program: chooses and loads the source, runs the statement loop
// and the orderly end. Returns the process exit code.
int RunProgram(Runtime& rt);

}  // namespace vestil
