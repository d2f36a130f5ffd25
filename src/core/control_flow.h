#pragma once
// Control flow: blocks, loops, jumps and procedures.

namespace vestil {

struct Runtime;

void RegisterControlStatements(Runtime& rt);
// Runs the line as a call of a script procedure (a token without a handler).
void ProcedureCall(Runtime& rt);

}  // namespace vestil
