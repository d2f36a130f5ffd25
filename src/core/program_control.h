#pragma once
// The statements that control the program as a whole: END, RANDOMIZE,
// DEFAULTBEEP, EXECUTE, HELP.

namespace vestil {

struct Runtime;

void RegisterProgramControlStatements(Runtime& rt);

}  // namespace vestil
