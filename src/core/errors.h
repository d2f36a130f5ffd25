#pragma once
// Runtime errors, warnings and the message catalogue.
#include <string_view>

namespace vestil {

struct Runtime;

// Thrown to end the run: the statement loop catches it at the top, does the
// orderly end and returns the exit code. Nothing below calls exit().
struct ProgramExit {
  int code;
};

std::string_view MessageText(int number);

// Fatal error: box, then the program ends with exit code 2. Returns only when
// ErrorMode is -1.
void RuntimeError(Runtime& rt, int number, std::string_view detail);
// Warning with OK and Cancel: returns unless the user cancels or ErrorMode is 2.
void RuntimeWarning(Runtime& rt, int number, std::string_view detail);
// A loader failure: the plain error box, then the process ends with the code.
[[noreturn]] void LoaderFailure(Runtime& rt, int number, std::string_view detail, int exit_code);

// Statements and functions whose handler is still to come stop the run with
// this error naming their keyword, never falling back to a procedure call.
void NotImplemented(Runtime& rt, std::string_view keyword);

}  // namespace vestil
